#include "editor/PolyphonyMenu.h"
#include "editor/TuningMenu.h"
#include "engine/Brumalux.h"

#include <gtest/gtest.h>

#include <memory>

namespace brumalux
{

namespace
{
// Triggers the item with this text, in the menu or one of its submenus; false when there is none.
bool Choose(const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator items(menu, true); items.next();)
    {
        const auto& item = items.getItem();
        if (item.text == text && item.action != nullptr && item.isEnabled)
        {
            item.action();
            return true;
        }
    }
    return false;
}

// A section of the organ's settings menu as the editor adds it, for a window that a test may close.
class SettingsMenu : public ::testing::Test
{
protected:
    using AddSection = void (*)(juce::PopupMenu&, Brumalux&, juce::Component&);

    juce::PopupMenu MenuOf(AddSection addSection)
    {
        juce::PopupMenu menu;
        addSection(menu, organ, *owner);
        return menu;
    }

    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    Brumalux organ;
    std::unique_ptr<juce::Component> owner = std::make_unique<juce::Component>();
};

TEST_F(SettingsMenu, TuningItemsTuneTheOrganWhileTheirOwnerExists)
{
    const auto menuNow = [this] { return MenuOf(AddTuningSection); };

    struct Step
    {
        const char* item;
        Tuning expected;
    };
    const Step steps[] = {{"Concert pitch (transpose +12)", {12, 440.0f}},
                          {"A = 442 Hz", {12, 442.0f}},
                          {"-24 semitones", {-24, 442.0f}},
                          {"A = 415 Hz", {-24, 415.0f}},
                          {"Default tuning", {}}};
    for (const auto& step : steps)
    {
        EXPECT_TRUE(Choose(menuNow(), step.item)) << step.item;
        EXPECT_EQ(organ.GetTuning(), step.expected) << step.item;
    }
    EXPECT_FALSE(Choose(menuNow(), "Default tuning")) << "nothing to reset";

    // The menu outlives the window it was opened from: its items then do nothing.
    const auto menu = menuNow();
    owner.reset();
    EXPECT_TRUE(Choose(menu, "+5 semitones"));
    EXPECT_EQ(organ.GetTuning(), Tuning{});
}

TEST_F(SettingsMenu, PolyphonyItemsSetTheVoiceLimitWhileTheirOwnerExists)
{
    const auto menuNow = [this] { return MenuOf(AddPolyphonySection); };
    const auto tickedItems = [&]
    {
        juce::StringArray ticked;
        const auto menu = menuNow();
        for (juce::PopupMenu::MenuItemIterator items(menu, true); items.next();)
            if (items.getItem().isTicked)
                ticked.add(items.getItem().text);
        return ticked;
    };

    EXPECT_EQ(tickedItems(), juce::StringArray("256 voices (default)"));
    EXPECT_TRUE(Choose(menuNow(), "8 voices"));
    EXPECT_EQ(organ.GetPolyphony(), 8);
    EXPECT_TRUE(Choose(menuNow(), "64 voices"));
    EXPECT_EQ(organ.GetPolyphony(), 64);
    // A limit a state brought that the list does not hold is offered too, ticked.
    organ.SetPolyphony(100);
    EXPECT_EQ(tickedItems(), juce::StringArray("100 voices"));
    EXPECT_TRUE(Choose(menuNow(), "256 voices (default)"));
    EXPECT_EQ(organ.GetPolyphony(), 256);

    const auto menu = menuNow();
    owner.reset();
    EXPECT_TRUE(Choose(menu, "16 voices"));
    EXPECT_EQ(organ.GetPolyphony(), 256);
}
} // namespace

} // namespace brumalux

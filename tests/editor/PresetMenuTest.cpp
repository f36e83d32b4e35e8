// The presets' section of the editor's menu: what it lists and what its items do.

#include "EditorTestSupport.h"
#include "tests/support/TemporaryHome.h"

#include "editor/PresetMenu.h"
#include "tests/support/X11TestDisplay.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
// The menu as text, sub-menus indented, so that a failure shows the whole of it.
void Describe(const juce::PopupMenu& menu, juce::String& text, const juce::String& indent = {})
{
    for (juce::PopupMenu::MenuItemIterator item(menu); item.next();)
    {
        if (item.getItem().isSeparator)
            continue;
        text << indent << item.getItem().text << "\n";
        if (item.getItem().subMenu != nullptr)
            Describe(*item.getItem().subMenu, text, indent + "  ");
    }
}

// Runs the action of the item with this text, searching sub-menus too.
bool Choose(const juce::PopupMenu& menu, const juce::String& text)
{
    for (juce::PopupMenu::MenuItemIterator item(menu, true); item.next();)
        if (item.getItem().text == text && item.getItem().action)
        {
            item.getItem().action();
            return true;
        }
    return false;
}

class PresetMenuTest : public ::testing::Test, protected OrganWithEditor
{
protected:
    const TemporaryHome home;
    std::unique_ptr<juce::FileChooser> chooser;
};

TEST_F(PresetMenuTest, ListsTheFactoryProgramsAndThePlayersPresetsByFolder)
{
    const std::string preset = "Brumalux preset\nversion = 1\nname = Smoky\nTone = 700\n";
    home.Write(".local/share/Brumalux/Presets/Bright.brumalux-preset",
               "Brumalux preset\nversion = 1\nname = Bright\n");
    home.Write(".local/share/Brumalux/Presets/Jazz/Smoky.brumalux-preset", preset);
    home.Write(".local/share/Brumalux/Presets/notes.txt", "not a preset");
    juce::PopupMenu menu;
    AddPresetSection(menu, filter, OpenEditor(), chooser);
    juce::String text;
    Describe(menu, text);
    EXPECT_EQ(text, "Save preset...\n"
                    "Load preset...\n"
                    "Factory programs\n"
                    "  A little churchy\n  Mellow Doubt\n  Rock Organ\n  Organ pad\n  Fuzzy triangle\n"
                    "  Smooth percussion\n  Distorto-matic\n  Abandoned theatre\n  Cheese Organ\n  Breathy\n"
                    "My presets\n"
                    "  Jazz\n"
                    "    Smoky\n"
                    "  Bright\n");

    ASSERT_TRUE(Choose(menu, "Smoky"));
    EXPECT_EQ(Value(ParameterIndex::tone), 700.0f);
    EXPECT_EQ(filter.GetProgramName(filter.GetCurrentProgram()), "Smoky");

    ASSERT_TRUE(Choose(menu, "Rock Organ"));
    EXPECT_EQ(Value(ParameterIndex::tone), 9000.0f);
    EXPECT_EQ(filter.GetProgramName(filter.GetCurrentProgram()), "Rock Organ");

    CloseEditor();
    ASSERT_TRUE(Choose(menu, "Smoky"));
    EXPECT_EQ(Value(ParameterIndex::tone), 9000.0f) << "the menu's items do nothing once the editor is gone";
}

TEST_F(PresetMenuTest, WithoutPresetsTheirSubMenuIsGreyedOut)
{
    juce::PopupMenu menu;
    AddPresetSection(menu, filter, OpenEditor(), chooser);
    int found = 0;
    for (juce::PopupMenu::MenuItemIterator item(menu); item.next();)
    {
        if (item.getItem().text == "My presets")
        {
            EXPECT_FALSE(item.getItem().isEnabled);
            ++found;
        }
    }
    EXPECT_EQ(found, 1);
}

// The choosers open without a modal loop and close with their owner, whose going leaves
// nothing that could call back into it.
TEST_F(PresetMenuTest, AChooserOpensAsynchronouslyAndGoesWithItsOwner)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no X display";
    // On a bare X server the choosers' windows need the window-manager atoms it creates.
    ASSERT_NE(X11TestDisplay::Shared(), nullptr);
    for (const char* item : {"Save preset...", "Load preset..."})
    {
        juce::PopupMenu menu;
        AddPresetSection(menu, filter, OpenEditor(), chooser);
        ASSERT_TRUE(Choose(menu, item));
        PumpMessages();
        EXPECT_NE(chooser, nullptr) << item;
        CloseEditor();
        chooser.reset();
        PumpMessages();
    }
}
} // namespace

} // namespace brumalux

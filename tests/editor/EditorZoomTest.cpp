// The editor at every zoom: its size, its pixels against the 100 % editor's, where the zoom
// comes from (the host, the player's menu, the settings file), and the speaker switch's text.

#include "EditorTestSupport.h"
#include "tests/support/TemporaryHome.h"

#include "editor/EditorZoom.h"
#include "editor/SpeakerSwitchLook.h"
#include "editor/ZoomMenu.h"
#include "userfiles/EditorSettingsFile.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
constexpr int width = DemoEditorComponent::unscaledWidth;
constexpr int height = DemoEditorComponent::unscaledHeight;

// Areas of the 100 % editor whose pixels must reappear at the scaled positions.
const std::pair<const char*, juce::Rectangle<int>> sampledAreas[] = {
    {"drawbars", {20, 150, 400, 150}},  {"keyboard", {10, 410, 420, 70}},
    {"top border", {0, 0, width, 5}},   {"bottom border", {0, height - 4, width, 4}},
    {"background", {0, 0, width, 130}},
};

bool Near(juce::Colour a, juce::Colour b)
{
    const auto close = [](juce::uint8 x, juce::uint8 y) { return std::abs(int(x) - int(y)) <= 8; };
    return close(a.getRed(), b.getRed()) && close(a.getGreen(), b.getGreen()) &&
           close(a.getBlue(), b.getBlue());
}

// A point whose eight neighbours all have its colour: it keeps that colour at any scale,
// whatever the edges around it do.
bool InFlatArea(const juce::Image& image, int x, int y)
{
    const auto colour = image.getPixelAt(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (!image.getBounds().contains(x + dx, y + dy) || image.getPixelAt(x + dx, y + dy) != colour)
                return false;
    return true;
}

// Compares every flat point of the area (on a two-pixel grid) with the scaled picture;
// answers how many it compared, and records each mismatch.
int CompareArea(const juce::Image& original, const juce::Image& scaled, float scale,
                juce::Rectangle<int> area, const char* name)
{
    int compared = 0;
    for (int y = area.getY(); y < area.getBottom(); y += 2)
        for (int x = area.getX(); x < area.getRight(); x += 2)
        {
            if (!InFlatArea(original, x, y))
                continue;
            const int sx = static_cast<int>((static_cast<float>(x) + 0.5f) * scale);
            const int sy = static_cast<int>((static_cast<float>(y) + 0.5f) * scale);
            EXPECT_TRUE(Near(original.getPixelAt(x, y), scaled.getPixelAt(sx, sy)))
                << name << " at " << x << ", " << y << " (scale " << scale
                << "): " << Rgb(original.getPixelAt(x, y)) << " became " << Rgb(scaled.getPixelAt(sx, sy));
            ++compared;
        }
    return compared;
}

juce::Image Snapshot(juce::Component& editor)
{
    return editor.createComponentSnapshot(editor.getLocalBounds(), true, 1.0f);
}

class EditorZoomTest : public ::testing::Test
{
protected:
    TemporaryHome home;
    OrganWithEditor organ;
};

TEST_F(EditorZoomTest, EveryScaleSourceDrawsTheSameEditorLarger)
{
    const auto original = Snapshot(organ.OpenEditor());
    ASSERT_EQ(original.getWidth(), width);
    organ.CloseEditor();

    struct Case
    {
        const char* source;
        float hostScale;
        int userZoom; // from the settings file, as a new editor reads it
        float expectedScale;
    };
    const Case cases[] = {
        {"host 125 %", 1.25f, 100, 1.25f}, {"host 200 %", 2.0f, 100, 2.0f},
        {"user 150 %", 1.0f, 150, 1.5f},   {"user 175 %", 1.0f, 175, 1.75f},
        {"user 300 %", 1.0f, 300, 3.0f},   {"host 150 % and user 200 %", 1.5f, 200, 3.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.source);
        ASSERT_TRUE(EditorZoom::SaveUserZoom(c.userZoom).wasOk());
        auto& editor = organ.OpenEditor();
        editor.SetHostScale(c.hostScale);
        EXPECT_EQ(editor.getWidth(), static_cast<int>(std::ceil(width * c.expectedScale)));
        EXPECT_EQ(editor.getHeight(), static_cast<int>(std::ceil(height * c.expectedScale)));
        const auto scaled = Snapshot(editor);
        for (const auto& [name, area] : sampledAreas)
            EXPECT_GT(CompareArea(original, scaled, c.expectedScale, area, name), 20) << name;
        organ.CloseEditor();
    }
}

TEST_F(EditorZoomTest, TheMenuZoomsTheOpenEditorAndEveryLaterOne)
{
    auto& editor = organ.OpenEditor();
    juce::PopupMenu menu;
    AddZoomSection(menu, editor);
    juce::PopupMenu::MenuItemIterator top(menu);
    ASSERT_TRUE(top.next());
    ASSERT_NE(top.getItem().subMenu, nullptr);
    juce::StringArray texts;
    for (juce::PopupMenu::MenuItemIterator item(*top.getItem().subMenu); item.next();)
    {
        texts.add(item.getItem().text);
        EXPECT_EQ(item.getItem().isTicked, item.getItem().text == "100 %");
        if (item.getItem().text == "250 %")
            item.getItem().action();
    }
    EXPECT_EQ(texts.joinIntoString(" "), "100 % 125 % 150 % 175 % 200 % 250 % 300 %");
    EXPECT_EQ(editor.getWidth(), 1100);
    EXPECT_EQ(editor.getHeight(), 1213);
    organ.CloseEditor();
    EXPECT_EQ(organ.OpenEditor().getWidth(), 1100) << "a new editor opens at the chosen zoom";
}

TEST_F(EditorZoomTest, TheSettingsFileIsReadWithCare)
{
    const std::pair<const char*, int> files[] = {
        {"zoom = 175\n", 175}, {"# mine\nzoom=200\nother = 1\n", 200},
        {"zoom = 160\n", 150}, {"zoom = 9000\n", 300},
        {"zoom = -5\n", 100},  {"zoom = lots\n", 100},
        {"\x01\xff\xfe", 100}, {"", 100},
    };
    for (const auto& [text, expected] : files)
    {
        EditorSettingsFile::Location().getParentDirectory().createDirectory();
        ASSERT_TRUE(EditorSettingsFile::Location().replaceWithText(text));
        EXPECT_EQ(EditorZoom::LoadUserZoom(), expected) << text;
    }
    EditorSettingsFile::Location().deleteFile();
    EXPECT_EQ(EditorZoom::LoadUserZoom(), 100) << "no file";
}

TEST_F(EditorZoomTest, AZoomThatCannotBeKeptSaysSo)
{
    const auto settings = EditorSettingsFile::Location().getParentDirectory();
    settings.getParentDirectory().createDirectory();
    ASSERT_TRUE(settings.replaceWithText("a file where the folder should be"));
    const auto result = EditorZoom::SaveUserZoom(200);
    EXPECT_TRUE(result.failed());
    EXPECT_TRUE(result.getErrorMessage().contains(settings.getFullPathName()));
}

TEST_F(EditorZoomTest, HostScalesThatMakeNoSenseAreRefusedOrLimited)
{
    auto& editor = organ.OpenEditor();
    for (const float nonsense :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    {
        editor.SetHostScale(nonsense);
        EXPECT_EQ(editor.getWidth(), width);
    }
    editor.SetHostScale(1000.0f);
    EXPECT_EQ(editor.getWidth(), width * 4);
    editor.SetHostScale(0.0f);
    EXPECT_EQ(editor.getWidth(), width / 2);
}

TEST_F(EditorZoomTest, TheSpeakerSwitchShowsOnInFullAtEveryZoom)
{
    auto& editor = organ.OpenEditor();
    auto& speakerSwitch = editor.GetSpeakerSwitch();
    EXPECT_EQ(speakerSwitch.getButtonText(), "On");
    EXPECT_EQ(speakerSwitch.getBounds(), juce::Rectangle<int>(5, 20, 40, 22)) << "the box keeps its layout";
    // The text is drawn in the switch's own points, so what fits at 100 % fits at any zoom.
    const auto area = SpeakerSwitchLook::TextArea(speakerSwitch);
    EXPECT_LE(juce::Font(SpeakerSwitchLook::fontHeight).getStringWidthFloat("On"),
              static_cast<float>(area.getWidth()));
    EXPECT_GE(static_cast<float>(area.getX()), SpeakerSwitchLook::tickLeft + SpeakerSwitchLook::tickSize);
    EXPECT_NE(dynamic_cast<SpeakerSwitchLook*>(&speakerSwitch.getLookAndFeel()), nullptr);
}
} // namespace

} // namespace brumalux

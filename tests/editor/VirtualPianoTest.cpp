#include "editor/VirtualPiano.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace brumalux
{

namespace
{
constexpr int keyboardWidth = 420;
constexpr int keyboardHeight = 70;
constexpr float whiteKeyWidth = keyboardWidth / 36.0f;

// x at a position measured in white keys from the left edge.
float AtWhiteKeys(float whiteKeys)
{
    return whiteKeys * whiteKeyWidth;
}

class VirtualPianoTest : public ::testing::Test
{
protected:
    VirtualPianoTest() { piano.setSize(keyboardWidth, keyboardHeight); }

    juce::Image Snapshot() { return piano.createComponentSnapshot(piano.getLocalBounds()); }

    void Press(float x, float y) { piano.mouseDown(MouseAt(piano, x, y)); }
    void Drag(float x, float y) { piano.mouseDrag(MouseAt(piano, x, y)); }
    void Release(float x, float y) { piano.mouseUp(MouseAt(piano, x, y)); }

    juce::ScopedJuceInitialiser_GUI juce;
    VirtualPiano piano{61, 3};
};

int LargestChannelDifference(const juce::Image& a, const juce::Image& b)
{
    int largest = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt(x, y);
            const auto q = b.getPixelAt(x, y);
            largest = std::max({largest, std::abs(p.getRed() - q.getRed()),
                                std::abs(p.getGreen() - q.getGreen()), std::abs(p.getBlue() - q.getBlue())});
        }
    return largest;
}

// Samples every key where up and down differ: a white key's shadow zone, a black key's
// highlight.
void ExpectEveryKeyShownUp(const juce::Image& image)
{
    static constexpr int blackKeyBoundaries[] = {1, 2, 4, 5, 6};
    for (int whiteKey = 0; whiteKey < 36; ++whiteKey)
    {
        const float left = AtWhiteKeys(static_cast<float>(whiteKey));
        EXPECT_EQ(RgbAt(image, static_cast<int>(left) + 2, 55), "FFFFF0") << "white key " << whiteKey;
    }
    for (int octave = 0; octave < 5; ++octave)
        for (const int boundary : blackKeyBoundaries)
        {
            const float highlightLeft = AtWhiteKeys(static_cast<float>(octave * 7 + boundary) - 0.125f);
            EXPECT_EQ(RgbAt(image, static_cast<int>(highlightLeft) + 1, 20), "A0A0A0")
                << "black key at boundary " << octave * 7 + boundary;
        }
}

struct PointAndNote
{
    float whiteKeys;
    float y;
    int note;
};

void ExpectNotes(const VirtualPiano& piano, std::initializer_list<PointAndNote> cases)
{
    for (const auto& c : cases)
        EXPECT_EQ(piano.NoteAt(AtWhiteKeys(c.whiteKeys), c.y), c.note)
            << "at " << c.whiteKeys << " white keys, y " << c.y;
}

TEST_F(VirtualPianoTest, UpperRowPlaysTheBlackKeyWithinHalfAWhiteKeyOfItsBoundary)
{
    ExpectNotes(piano, {
                           {0.55f, 20, 37},
                           {1.0f, 20, 37},
                           {1.45f, 20, 37}, // C#2 around the C-D boundary
                           {1.55f, 20, 39},
                           {2.45f, 20, 39}, // D#2
                           {2.8f, 20, 40},
                           {3.2f, 20, 41}, // E-F: no black key
                           {3.6f, 5, 42},
                           {4.4f, 45, 42}, // F#2, whole black row height
                           {5.0f, 20, 44},
                           {6.0f, 20, 46}, // G#2, A#2
                           {6.8f, 20, 47},
                           {7.2f, 20, 48}, // B-C: no black key
                           {8.0f, 20, 49},
                           {34.0f, 20, 94}, // C#3, A#6
                       });
}

TEST_F(VirtualPianoTest, BlackZoneCoversVisibleWhiteKey)
{
    // Just right of the drawn C# the white D shows, yet the upper row still plays C#.
    const auto image = Snapshot();
    EXPECT_EQ(RgbAt(image, 16, 20), "FFFFF0");
    EXPECT_EQ(piano.NoteAt(16.5f, 20.0f), 37);
}

TEST_F(VirtualPianoTest, LowerRowAlwaysPlaysTheWhiteKeyUnderThePointer)
{
    static const std::set<int> whitePitchClasses{0, 2, 4, 5, 7, 9, 11};
    for (const float y : {46.0f, 60.0f, 69.9f})
    {
        std::set<int> notes;
        int previous = -1;
        for (float x = 0.0f; x < keyboardWidth; x += 0.5f)
        {
            const int note = piano.NoteAt(x, y);
            EXPECT_EQ(whitePitchClasses.count(note % 12), 1u) << "x " << x << " y " << y;
            EXPECT_GE(note, previous) << "x " << x;
            previous = note;
            notes.insert(note);
        }
        EXPECT_EQ(notes.size(), 36u);
        EXPECT_EQ(*notes.begin(), 36);
        EXPECT_EQ(*notes.rbegin(), 96);
    }
    // The black row ends at 65 % of the height.
    EXPECT_EQ(piano.NoteAt(AtWhiteKeys(2.1f), 45.0f), 39);
    EXPECT_EQ(piano.NoteAt(AtWhiteKeys(2.1f), 46.0f), 40);
}

TEST_F(VirtualPianoTest, NotesAreClampedAtBothEnds)
{
    ExpectNotes(piano, {
                           {35.7f, 20, 96}, // the zone of a C# above the top key
                           {35.9f, 60, 96},
                           {50.0f, 20, 96},
                           {50.0f, 60, 96},
                           {-100.0f, 20, 0},
                           {-100.0f, 60, 0},
                       });
}

TEST_F(VirtualPianoTest, NegativePositionsGiveLowerOctaves)
{
    ExpectNotes(piano, {
                           {-0.4f, 20, 37}, // the first black zone reaches past the left edge
                           {-1.0f, 20, 36}, // negative remainders take offset 0
                           {-8.0f, 20, 24},
                           {-0.4f, 60, 36},
                           {-1.5f, 60, 36},
                           {-7.5f, 60, 24},
                       });
}

TEST_F(VirtualPianoTest, DragEndsEachNoteBeforeStartingTheNext)
{
    NoteRecorder target;
    piano.AddNoteTarget(&target);

    Press(AtWhiteKeys(0.5f), 60);
    Drag(AtWhiteKeys(0.8f), 62); // same key: nothing
    Drag(AtWhiteKeys(1.5f), 60); // to D
    Drag(AtWhiteKeys(2.0f), 10); // up into D#'s zone
    Drag(AtWhiteKeys(-9.0f), 60);
    Release(AtWhiteKeys(-9.0f), 60);
    PumpMessages();

    const std::vector<std::pair<int, int>> expected{{144, 36}, {128, 36}, {144, 38}, {128, 38},
                                                    {144, 39}, {128, 39}, {144, 24}, {128, 24}};
    ASSERT_EQ(target.received.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(target.received[i].status, expected[i].first) << i;
        EXPECT_EQ(target.received[i].noteNumber, expected[i].second) << i;
        EXPECT_EQ(target.received[i].sender, &piano) << i;
    }
    EXPECT_EQ(piano.GetHeldNote(), -1);
}

TEST_F(VirtualPianoTest, LeavingTheKeyboardReleasesTheHeldNoteOnce)
{
    NoteRecorder target;
    piano.AddNoteTarget(&target);

    Press(AtWhiteKeys(3.5f), 60);
    piano.mouseExit(MouseAt(piano, -5, 60));
    piano.mouseExit(MouseAt(piano, -5, 60));
    Release(-5, 60);
    PumpMessages();

    ASSERT_EQ(target.received.size(), 2u);
    EXPECT_EQ(target.received[1].status, 128);
    EXPECT_EQ(target.received[1].noteNumber, 41);
}

TEST_F(VirtualPianoTest, NothingIsSentWithoutTargets)
{
    NoteRecorder bystander;
    Press(AtWhiteKeys(0.5f), 60);
    Drag(AtWhiteKeys(4.5f), 60);
    Release(AtWhiteKeys(4.5f), 60);
    PumpMessages();
    EXPECT_TRUE(bystander.received.empty());
}

TEST_F(VirtualPianoTest, EachTargetReceivesEachNoteOnceAndDeletedTargetsAreSkipped)
{
    NoteRecorder kept;
    auto gone = std::make_unique<NoteRecorder>();
    piano.AddNoteTarget(&kept);
    piano.AddNoteTarget(gone.get());
    piano.AddNoteTarget(&kept);
    gone.reset();

    Press(AtWhiteKeys(0.5f), 60);
    PumpMessages();
    EXPECT_EQ(kept.received.size(), 1u);
}

TEST_F(VirtualPianoTest, MessagesPostedBeforeATargetDiesAreDropped)
{
    auto target = std::make_unique<NoteRecorder>();
    piano.AddNoteTarget(target.get());
    Press(AtWhiteKeys(0.5f), 60);
    target.reset();
    PumpMessages(); // must not reach the deleted target
    SUCCEED();
}

TEST_F(VirtualPianoTest, KeysUpAreDrawnWithTheirColours)
{
    const auto image = Snapshot();
    EXPECT_EQ(RgbAt(image, 17, 55), "FFFFF0"); // D, body
    EXPECT_EQ(RgbAt(image, 17, 68), "000000"); // front edge, 5 % of the height
    EXPECT_EQ(RgbAt(image, 17, 65), "FFFFF0");
    EXPECT_EQ(RgbAt(image, 17, 2), "000000");   // top strip
    EXPECT_EQ(RgbAt(image, 35, 55), "A52A2A");  // F's left edge line at x 35
    EXPECT_EQ(RgbAt(image, 0, 55), "000000");   // keyboard's left end
    EXPECT_EQ(RgbAt(image, 419, 55), "000000"); // right end
    EXPECT_EQ(RgbAt(image, 11, 20), "A0A0A0");  // C#, highlight
    EXPECT_EQ(RgbAt(image, 9, 20), "000000");   // C#, body
    EXPECT_EQ(RgbAt(image, 13, 42), "000000");  // below the highlight of a key that is up
}

TEST_F(VirtualPianoTest, KeysDownAreDrawnWithTheirColours)
{
    piano.SetKeyState(38, true); // D, with C up below it
    piano.SetKeyState(37, true); // C#
    const auto image = Snapshot();
    EXPECT_EQ(RgbAt(image, 17, 55), "DCDCC8");
    EXPECT_EQ(RgbAt(image, 13, 55), "000000"); // the shadow of the raised C
    EXPECT_EQ(RgbAt(image, 17, 67), "DCDCC8"); // the front edge shrinks to one pixel
    EXPECT_EQ(RgbAt(image, 17, 69), "000000");
    EXPECT_EQ(RgbAt(image, 17, 2), "000000");
    EXPECT_EQ(RgbAt(image, 11, 20), "808080");
    EXPECT_EQ(RgbAt(image, 13, 42), "808080"); // the pressed highlight is longer and wider
    EXPECT_TRUE(piano.IsKeyDown(38));
}

TEST_F(VirtualPianoTest, PressedNeighbourTurnsTheShadowIntoAnEdgeLine)
{
    piano.SetKeyState(40, true); // E
    EXPECT_EQ(RgbAt(Snapshot(), 25, 55), "000000");
    piano.SetKeyState(38, true); // D: E must be redrawn without its shadow
    EXPECT_EQ(RgbAt(Snapshot(), 25, 55), "DCDCC8");
    piano.SetKeyState(38, false);
    EXPECT_EQ(RgbAt(Snapshot(), 25, 55), "000000");
}

TEST_F(VirtualPianoTest, RedrawingAWhiteKeyRedrawsTheBlackKeysOverIt)
{
    Snapshot();
    piano.SetKeyState(38, false); // D: its full-height fill covers parts of C# and D#
    piano.SetKeyState(40, true);  // E: F is redrawn too, and covers part of F#
    const auto image = Snapshot();
    EXPECT_EQ(RgbAt(image, 13, 44), "000000"); // C#
    EXPECT_EQ(RgbAt(image, 21, 44), "000000"); // D#
    EXPECT_EQ(RgbAt(image, 44, 44), "000000"); // F#
}

TEST_F(VirtualPianoTest, NotesOutsideTheKeyboardChangeNothing)
{
    const auto before = Snapshot();
    piano.SetKeyState(35, true);
    piano.SetKeyState(97, true);
    piano.SetKeyState(-1, true);
    const auto after = Snapshot();
    EXPECT_FALSE(piano.IsKeyDown(35));
    EXPECT_FALSE(piano.IsKeyDown(97));
    EXPECT_EQ(LargestChannelDifference(after, before), 0);
}

TEST_F(VirtualPianoTest, ReleaseAllKeysShowsEveryKeyUp)
{
    for (const int note : {36, 37, 38, 40, 61, 95, 96})
        piano.SetKeyState(note, true);
    Snapshot();
    piano.ReleaseAllKeys();
    const auto after = Snapshot();
    for (int note = 36; note <= 96; ++note)
        EXPECT_FALSE(piano.IsKeyDown(note));
    ExpectEveryKeyShownUp(after);
}

TEST_F(VirtualPianoTest, RepaintRequestsRefreshTheBufferedKeyboardOnItsTimer)
{
    // Inside a parent the keyboard is drawn from the toolkit's buffer, which only a
    // repaint renews.
    juce::Component parent;
    parent.setSize(keyboardWidth, keyboardHeight);
    parent.addAndMakeVisible(piano);
    auto snapshotOfParent = [&] { return parent.createComponentSnapshot(parent.getLocalBounds()); };

    EXPECT_EQ(RgbAt(snapshotOfParent(), 17, 55), "FFFFF0");
    piano.SetKeyState(38, true);
    piano.handleCommandMessage(1);
    EXPECT_EQ(RgbAt(snapshotOfParent(), 17, 55), "FFFFF0");

    // As the audio thread asks: nothing is posted, the keyboard's timer picks it up.
    piano.RequestRepaint();
    piano.RequestRepaint();
    const auto deadline = juce::Time::getMillisecondCounter() + 2000;
    while (RgbAt(snapshotOfParent(), 17, 55) != "DCDCC8" && juce::Time::getMillisecondCounter() < deadline)
    {
        juce::Thread::sleep(5);
        PumpMessages();
    }
    EXPECT_EQ(RgbAt(snapshotOfParent(), 17, 55), "DCDCC8");
    parent.removeChildComponent(&piano);
}

TEST_F(VirtualPianoTest, ResizingRedrawsTheWholeKeyboard)
{
    piano.SetKeyState(38, true);
    Snapshot();
    piano.setSize(2 * keyboardWidth, keyboardHeight);
    const auto image = Snapshot();
    EXPECT_EQ(image.getWidth(), 2 * keyboardWidth);
    EXPECT_EQ(RgbAt(image, 34, 55), "DCDCC8"); // D now spans 23.3 to 46.7
    EXPECT_EQ(RgbAt(image, 60, 55), "FFFFF0");
    EXPECT_EQ(piano.NoteAt(2 * AtWhiteKeys(1.5f), 60), 38);
}

TEST_F(VirtualPianoTest, KeyCountBelowOneIsIgnored)
{
    piano.SetKeyState(40, true);
    piano.SetKeyCount(0);
    EXPECT_TRUE(piano.IsKeyDown(40));
    piano.SetKeyCount(12);
    EXPECT_FALSE(piano.IsKeyDown(40));
    EXPECT_EQ(piano.NoteAt(keyboardWidth - 1.0f, 60), 47); // now the top key is B
}
} // namespace

} // namespace brumalux

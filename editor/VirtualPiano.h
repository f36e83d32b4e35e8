#pragma once

#include "framework/EditorLink.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <optional>
#include <vector>

namespace brumalux
{

// The on-screen keyboard. Played with the mouse, it posts note requests to its note
// targets; driven by the engine, it shows which notes sound.
//
// Threads: mouse handlers, paint, resized, the timer, the repaint command and
// AddNoteTarget run on the message thread. SetKeyState, ReleaseAllKeys and RequestRepaint
// are called from the audio thread: they hold the key lock only for a few stores and never
// wait for drawing, and a repaint request is a flag that the keyboard's own timer reads,
// so the audio thread neither posts nor allocates.
class VirtualPiano : public juce::Component, public KeyboardDisplay, private juce::Timer
{
public:
    VirtualPiano(int keyCount, int lowestOctave);
    ~VirtualPiano() override;

    // Replaces every key by a fresh one (up, to be drawn). Ignored below one key.
    void SetKeyCount(int count);

    void AddNoteTarget(juce::MessageListener* target) override;
    void SetKeyState(int noteNumber, bool down) override;
    void ReleaseAllKeys() override;
    void RequestRepaint() override;

    // Posts a keyboard note message to every note target that still exists. Message thread.
    void SendNoteMessage(int noteNumber, int status);

    // The note under a point in component coordinates (also outside the component, as
    // while dragging), clamped to 0 .. the top key's note.
    int NoteAt(float x, float y) const;
    // The black key whose zone contains the point, counted among black keys from the
    // keyboard's first octave (negative left of it), or nothing in the white-only parts.
    std::optional<int> BlackKeyAt(float x, float y) const;
    int BlackKeyNote(int blackKeyIndex) const;
    int WhiteKeyNote(int whiteKeyIndex) const;

    bool IsKeyDown(int noteNumber) const;
    int GetHeldNote() const noexcept { return heldNote; }

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseExit(const juce::MouseEvent& event) override;
    void handleCommandMessage(int commandId) override;
    void resized() override;
    void paint(juce::Graphics& g) override;

    static constexpr int repaintCommand = 0;
    // How often the keyboard looks for repaint requests from the audio thread.
    static constexpr int repaintPollsPerSecond = 30;

private:
    struct KeyState
    {
        bool down = false;
        bool needsRedraw = true;
    };

    void timerCallback() override;
    void ReleaseHeldNote();

    float WhiteKeyWidth() const;
    bool IsDrawnBlack(int key) const;
    int WhiteKeysBelow(int key) const;
    void MarkForRedraw(int key);
    void MarkNeighboursOfWhiteKey(int key);

    // Copies the marked keys out under the key lock so that drawing happens without it.
    bool TakeKeysToDraw();
    void DrawMarkedKeys(juce::Graphics& g) const;
    void DrawWhiteKey(juce::Graphics& g, int key) const;
    void DrawBlackKey(juce::Graphics& g, int key) const;

    int keyCount = 0;
    const int lowestOctave;
    std::vector<KeyState> keyStates;  // guarded by keyLock
    std::vector<KeyState> keysToDraw; // message thread only: the copy being drawn
    juce::Image cachedImage;
    bool redrawNeeded = true; // guarded by keyLock
    int heldNote = -1;
    std::atomic<bool> repaintRequested{false};
    // Weak references: a target that is deleted while this keyboard lives is skipped
    // instead of being posted to through a dangling pointer.
    juce::Array<juce::WeakReference<juce::MessageListener>> noteTargets;
    juce::CriticalSection targetLock;
    juce::CriticalSection keyLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VirtualPiano)
};

} // namespace brumalux

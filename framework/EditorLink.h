#pragma once

#include <juce_events/juce_events.h>

namespace brumalux
{

// How the engine talks to its open editor without knowing the editor's classes.

// The on-screen keyboard as the engine sees it. SetKeyState, ReleaseAllKeys and
// RequestRepaint are called from the audio thread and must neither wait long nor allocate
// nor post messages: the keyboard repaints on the message thread by itself once asked.
// AddNoteTarget is called on the message thread.
class KeyboardDisplay
{
public:
    virtual void AddNoteTarget(juce::MessageListener* target) = 0;
    virtual void SetKeyState(int noteNumber, bool down) = 0;
    virtual void ReleaseAllKeys() = 0;
    virtual void RequestRepaint() = 0;

protected:
    ~KeyboardDisplay() = default;
};

// An editor that the engine connects as soon as it is created, on the message thread: the
// keyboard gets its note target, the controls show the parameters, and the editor follows
// the parameter manager. Connecting writes no parameter. The audio thread only asks for the
// keyboard, to mark keys on it.
class ConnectableEditor
{
public:
    virtual KeyboardDisplay& GetKeyboard() = 0;
    virtual void SyncControlsFromParameters() = 0;
    virtual void FollowParameterChanges() = 0;

protected:
    ~ConnectableEditor() = default;
};

// A note played on the on-screen keyboard, posted to the keyboard's note targets. Made
// and delivered on the message thread.
struct KeyboardNoteMessage : public juce::Message
{
    static constexpr int noteOnStatus = 144;
    static constexpr int noteOffStatus = 128;

    KeyboardNoteMessage(int statusToUse, int noteToUse, const KeyboardDisplay* keyboard)
        : status(statusToUse),
          noteNumber(noteToUse),
          sender(keyboard)
    {
    }

    const int status;
    const int noteNumber;
    const KeyboardDisplay* const sender;
};

} // namespace brumalux

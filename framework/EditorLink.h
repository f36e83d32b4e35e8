#pragma once

#include <juce_events/juce_events.h>

// How the engine talks to its open editor without knowing the editor's classes.

// The on-screen keyboard as the engine sees it. AddNoteTarget, SetKeyState, ReleaseAllKeys
// and PostRepaintCommand are called from the audio thread (AddNoteTarget also from the
// thread that prepares the filter), always under the filter's callback lock, so none may
// wait for the message thread; the repaint itself happens there.
class KeyboardDisplay
{
public:
    virtual void AddNoteTarget(juce::MessageListener* target) = 0;
    virtual void SetKeyState(int noteNumber, bool down) = 0;
    virtual void ReleaseAllKeys() = 0;
    virtual void PostRepaintCommand() = 0;

protected:
    ~KeyboardDisplay() = default;
};

// An editor that the engine connects once it is open: the keyboard gets its note target,
// the controls show the parameters, and the editor follows the parameter manager. The
// engine connects from whatever thread prepares or renders, under the filter's callback
// lock, so every call here may come from any thread; the editor moves the work that
// belongs to the message thread there, and stops following the parameters itself when it
// is deleted.
class ConnectableEditor
{
public:
    virtual KeyboardDisplay& GetKeyboard() = 0;
    virtual void SyncControlsFromParameters() = 0;
    virtual void WriteSpeakerSwitch() = 0;
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
        : status(statusToUse), noteNumber(noteToUse), sender(keyboard)
    {
    }

    const int status;
    const int noteNumber;
    const KeyboardDisplay* const sender;
};

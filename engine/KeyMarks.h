#pragma once

#include "framework/EditorLink.h"

namespace brumalux
{

// Marks on the open editor's keyboard the keys of the notes a block starts and ends, and asks the keyboard
// to repaint once the block's MIDI has been applied (the repaint itself happens on the message thread).
// Audio thread. Without a connected keyboard every call does nothing.
class KeyMarks
{
public:
    explicit KeyMarks(KeyboardDisplay* keyboardToMark) : keyboard(keyboardToMark) {}

    void KeyDown(int noteNumber) { SetKey(noteNumber, true); }
    void KeyUp(int noteNumber) { SetKey(noteNumber, false); }
    void AllKeysUp()
    {
        if (keyboard != nullptr)
            keyboard->ReleaseAllKeys();
        repaintNeeded = true;
    }
    // A note event was handled, whether or not it changed a key.
    void NoteEventHandled() { repaintNeeded = true; }

    // One repaint request for the whole block, however many events it held.
    void PostRepaintIfNeeded()
    {
        if (keyboard != nullptr && repaintNeeded)
            keyboard->RequestRepaint();
        repaintNeeded = false;
    }

private:
    void SetKey(int noteNumber, bool down)
    {
        if (keyboard != nullptr)
            keyboard->SetKeyState(noteNumber, down);
        repaintNeeded = true;
    }

    KeyboardDisplay* keyboard;
    bool repaintNeeded = false;
};

} // namespace brumalux

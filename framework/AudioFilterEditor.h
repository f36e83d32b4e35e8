#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class AudioFilterBase;

// A filter's editor: a component that keeps the filter that made it. Deleting it makes
// the filter forget it, so the filter never keeps a pointer to a deleted editor.
// Message thread. This destructor runs after a derived editor's members are gone, so an
// editor whose parts the audio thread reaches makes the filter forget it in its own
// destructor first (EditorBeingDeleted waits for a block in progress).
class AudioFilterEditor : public juce::Component
{
public:
    explicit AudioFilterEditor(AudioFilterBase& ownerFilter) : owner(ownerFilter) {}
    ~AudioFilterEditor() override;

    AudioFilterBase& GetOwnerFilter() const noexcept { return owner; }

    // The scale the host asks the editor to draw at (1 is 100 %), for hosts that tell it
    // to the plug-in rather than scaling its window themselves. An editor that scales
    // takes the size it then draws at, and its holder passes that size on to the host.
    virtual void SetHostScale(float) {}

private:
    AudioFilterBase& owner;

    JUCE_DECLARE_NON_COPYABLE(AudioFilterEditor)
};

} // namespace brumalux

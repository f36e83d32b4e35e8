#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class AudioFilterBase;

// A filter's editor: a component that keeps the filter that made it. Deleting it makes
// the filter forget it, so the filter never keeps a pointer to a deleted editor.
class AudioFilterEditor : public juce::Component
{
public:
    explicit AudioFilterEditor(AudioFilterBase& ownerFilter) : owner(ownerFilter) {}
    ~AudioFilterEditor() override;

    AudioFilterBase& GetOwnerFilter() const noexcept { return owner; }

private:
    AudioFilterBase& owner;

    JUCE_DECLARE_NON_COPYABLE(AudioFilterEditor)
};

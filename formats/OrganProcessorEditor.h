#pragma once

#include "ProgramChooser.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace brumalux
{
class AudioFilterEditor;
class OrganProcessor;

// The organ's own editor inside the window a JUCE plug-in client gives it. It owns the
// filter's editor and tells the filter before deleting it, so the filter never keeps a
// pointer to a deleted editor. The standalone program has no host to choose programs
// with, so there a program chooser sits above the organ's controls. Message thread.
class OrganProcessorEditor : public juce::AudioProcessorEditor
{
public:
    OrganProcessorEditor(OrganProcessor& processor, std::unique_ptr<AudioFilterEditor> editor);
    ~OrganProcessorEditor() override;

    AudioFilterEditor& GetOrganEditor() const noexcept { return *editor; }

    void resized() override;
    void childBoundsChanged(juce::Component* child) override;

private:
    void FitToContent();

    OrganProcessor& organ;
    std::unique_ptr<ProgramChooser> programChooser;
    std::unique_ptr<AudioFilterEditor> editor;

    JUCE_DECLARE_NON_COPYABLE(OrganProcessorEditor)
};
} // namespace brumalux

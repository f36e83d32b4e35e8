#pragma once

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

namespace brumalux
{

// JUCE's standalone window whose Options menu also offers the organ's own sections (the tuning),
// the same ones the editor's menu holds. Message thread.
class OrganStandaloneWindow : public juce::StandaloneFilterWindow
{
public:
    using juce::StandaloneFilterWindow::StandaloneFilterWindow;

private:
    // The Options button: JUCE's items (audio and MIDI settings, state files, reset), then ours.
    void buttonClicked(juce::Button* button) override;
};

} // namespace brumalux

#pragma once

#include "GuiTestSupport.h"

#include "editor/DemoEditorComponent.h"
#include "editor/OrganEditorFactory.h"
#include "engine/Brumalux.h"
#include "framework/FilterNativeCallbacks.h"
#include "params/PluginParameterManager.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace brumalux
{

// Stands in for the host wrapper: applies a change as the host would, then records the
// automation the host would be told about, and the gestures around it in order ("begin 9",
// "automate 9", "end 9").
class RecordingHost : public FilterNativeCallbacks
{
public:
    void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) override
    {
        filter.SetNormalisedParameter(index, normalisedValue);
        automated.emplace_back(index, normalisedValue);
        sequence.push_back("automate " + std::to_string(index));
    }
    void BeginParameterGesture(AudioFilterBase&, int index) override
    {
        sequence.push_back("begin " + std::to_string(index));
    }
    void EndParameterGesture(AudioFilterBase&, int index) override
    {
        sequence.push_back("end " + std::to_string(index));
    }

    void Clear()
    {
        automated.clear();
        sequence.clear();
    }

    std::vector<int> AutomatedIndices() const
    {
        std::vector<int> indices;
        for (const auto& entry : automated)
            indices.push_back(entry.first);
        return indices;
    }

    std::vector<std::pair<int, float>> automated;
    std::vector<std::string> sequence;
};

// An organ with a recording host and, on request, its open editor.
class OrganWithEditor
{
public:
    OrganWithEditor() { filter.SetCallbacks(&host); }
    ~OrganWithEditor()
    {
        CloseEditor();
        filter.SetCallbacks(nullptr);
    }

    DemoEditorComponent& OpenEditor()
    {
        editor.reset(filter.CreateEditorAndMakeActive());
        return Editor();
    }

    void CloseEditor()
    {
        if (editor != nullptr)
            filter.EditorBeingDeleted(editor.get());
        editor.reset();
    }

    DemoEditorComponent& Editor() { return dynamic_cast<DemoEditorComponent&>(*editor); }
    PluginParameterManager& Manager() { return filter.GetParameterManager(); }
    float Value(int index) { return Manager().GetValue(index); }

    // A block as the host wrapper renders it: under the callback lock.
    void RenderBlock(juce::MidiBuffer& midi, int samples = 256)
    {
        juce::AudioSampleBuffer input(2, samples), output(2, samples);
        input.clear();
        const juce::ScopedLock lock(filter.GetCallbackLock());
        filter.ProcessBlock(input, output, false, midi);
    }

    juce::ScopedJuceInitialiser_GUI juce;
    RecordingHost host;
    Brumalux filter{&CreateOrganEditor};
    std::unique_ptr<AudioFilterEditor> editor;
};

} // namespace brumalux

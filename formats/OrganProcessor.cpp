#include "OrganProcessor.h"

#include "OrganProcessorEditor.h"
#include "editor/OrganEditorFactory.h"
#include "framework/AudioFilterEditor.h"
#include "framework/PlayableRange.h"
#include "hostcore/ProductIdentity.h"
#include "params/QuellmarkFilterBase.h"
#include "userfiles/CreateOrgan.h"

#include <new>

namespace brumalux
{
namespace
{
bool IsUsableConfiguration(double sampleRate, int blockSize)
{
    return PlayableRange::IsPlayableSampleRate(sampleRate) && PlayableRange::IsPlayableBlockSize(blockSize);
}

// Set on every thread that has rendered an organ: a host's audio thread, never its own.
thread_local bool rendersOnThisThread = false;

PluginProperties PropertiesOf(AudioFilterBase& filter)
{
    PluginProperties properties;
    filter.FillProperties(properties);
    properties.numInputChannels = juce::jmax(0, properties.numInputChannels);
    properties.numOutputChannels = juce::jmax(0, properties.numOutputChannels);
    return properties;
}
} // namespace

juce::AudioProcessor::BusesProperties OrganProcessor::OutputBus()
{
    return BusesProperties().withOutput("Output", juce::AudioChannelSet::stereo(), true);
}

OrganProcessor::OrganProcessor(std::unique_ptr<QuellmarkFilterBase> filterToOwn)
    : juce::AudioProcessor(OutputBus()),
      filter(std::move(filterToOwn)),
      properties(PropertiesOf(*filter)),
      numPrograms(juce::jmax(0, filter->GetNumPrograms())),
      reports(*filter, *this)
{
    for (int index = 0; index < filter->GetNumParameters(); ++index)
    {
        auto parameter = std::make_unique<OrganParameter>(*filter, index);
        organParameters.push_back(parameter.get());
        addParameter(parameter.release());
    }
    outputChannels.assign(static_cast<size_t>(properties.numOutputChannels), nullptr);
}

OrganProcessor::~OrganProcessor()
{
    cancelPendingUpdate();
}

std::unique_ptr<OrganProcessor> OrganProcessor::Create()
{
    try
    {
        return std::make_unique<OrganProcessor>(CreateOrgan(&CreateOrganEditor));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

const juce::String OrganProcessor::getName() const
{
    return ProductIdentity::name;
}

bool OrganProcessor::isBusesLayoutSupported(const BusesLayout& layout) const
{
    return layout.inputBuses.isEmpty() && layout.outputBuses.size() == 1 &&
           layout.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

// Audio.

void OrganProcessor::prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const juce::ScopedLock lock(filter->GetCallbackLock());
    prepared = false;
    if (!IsUsableConfiguration(sampleRate, maximumExpectedSamplesPerBlock))
        return;
    filter->SetPlayConfiguration(sampleRate, maximumExpectedSamplesPerBlock);
    renderer.Prepare(properties.numInputChannels, properties.numOutputChannels,
                     maximumExpectedSamplesPerBlock);
    filter->PrepareToPlay(sampleRate, maximumExpectedSamplesPerBlock);
    prepared = true;
}

void OrganProcessor::releaseResources()
{
    const juce::ScopedLock lock(filter->GetCallbackLock());
    prepared = false;
    filter->ReleaseResources();
}

void OrganProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    rendersOnThisThread = true;
    ReportValuesIfRequested();
    const juce::ScopedLock lock(filter->GetCallbackLock());
    if (!prepared)
    {
        RenderSilence(buffer, midiMessages);
        return;
    }
    // Channels the host did not give are rendered and dropped, extra ones stay silent.
    for (size_t i = 0; i < outputChannels.size(); ++i)
        outputChannels[i] = static_cast<int>(i) < buffer.getNumChannels()
                                ? buffer.getWritePointer(static_cast<int>(i))
                                : nullptr;
    for (int extra = properties.numOutputChannels; extra < buffer.getNumChannels(); ++extra)
        buffer.clear(extra, 0, buffer.getNumSamples());
    renderer.Render(*filter, nullptr, outputChannels.data(), buffer.getNumSamples(), false, midiMessages,
                    nullptr);
}

void OrganProcessor::RenderSilence(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    buffer.clear();
    midiMessages.clear();
}

// Parameters.

OrganParameter* OrganProcessor::ParameterAt(int index) const
{
    return index >= 0 && index < static_cast<int>(organParameters.size())
               ? organParameters[static_cast<size_t>(index)]
               : nullptr;
}

void OrganProcessor::Tell(const HostReport& report)
{
    auto* parameter = ParameterAt(report.index);
    switch (report.kind)
    {
        case HostReport::Kind::parameterChanged:
            if (parameter != nullptr)
                parameter->sendValueChangedMessageToListeners(report.value);
            return;
        case HostReport::Kind::gestureBegan:
            if (parameter != nullptr)
                parameter->beginChangeGesture();
            return;
        case HostReport::Kind::gestureEnded:
            if (parameter != nullptr)
                parameter->endChangeGesture();
            return;
        case HostReport::Kind::programChanged:
            triggerAsyncUpdate();
            return;
        case HostReport::Kind::settingsChanged:
            updateHostDisplay(ChangeDetails().withNonParameterStateChanged(true));
            return;
    }
}

// Programs.

int OrganProcessor::getNumPrograms()
{
    // JUCE's clients expect at least one.
    return juce::jmax(1, numPrograms);
}

int OrganProcessor::getCurrentProgram()
{
    return juce::jlimit(0, getNumPrograms() - 1, filter->GetCurrentProgram());
}

void OrganProcessor::setCurrentProgram(int index)
{
    if (index < 0 || index >= numPrograms || index == filter->GetCurrentProgram())
        return;
    filter->SetCurrentProgram(index);
    // Released after the values, so the thread that takes the request reads the program's values.
    valueReportRequested.store(true, std::memory_order_release);
    programSwitchThread.store(juce::Thread::getCurrentThreadId(), std::memory_order_release);
    if (!rendersOnThisThread)
        hostEdits.Report(organParameters);
    triggerAsyncUpdate();
}

const juce::String OrganProcessor::getProgramName(int index)
{
    return index >= 0 && index < numPrograms ? filter->GetProgramName(index) : juce::String();
}

void OrganProcessor::changeProgramName(int index, const juce::String& newName)
{
    if (index >= 0 && index < numPrograms)
        filter->ChangeProgramName(index, newName);
}

// State: the bytes the VST 2 plug-in hands its host, so a saved organ moves between forms.

void OrganProcessor::getStateInformation(juce::MemoryBlock& destination)
{
    destination.reset();
    filter->SaveState(destination);
}

void OrganProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;
    statesLoaded.fetch_add(1, std::memory_order_relaxed);
    filter->LoadState(data, sizeInBytes);
    valueReportRequested.store(true, std::memory_order_release);
    // A host that sets a program and then loads a state (Ardour reopening a project) heard
    // the program's values inside the first call: it must hear the loaded ones last.
    if (!rendersOnThisThread)
        hostEdits.Report(organParameters);
    triggerAsyncUpdate();
}

void OrganProcessor::setIComponentHandler(Steinberg::FUnknown* handler)
{
    hostEdits.SetHandler(handler);
}

void OrganProcessor::ReportValuesIfRequested()
{
    if (programSwitchThread.exchange(nullptr, std::memory_order_acquire) ==
        juce::Thread::getCurrentThreadId())
    {
        programSwitched.store(true, std::memory_order_release);
        triggerAsyncUpdate();
    }
    if (!valueReportRequested.exchange(false, std::memory_order_acquire))
        return;
    for (auto* parameter : organParameters)
        parameter->sendValueChangedMessageToListeners(parameter->getValue());
}

void OrganProcessor::handleAsyncUpdate()
{
    const int loadedBefore = statesLoaded.load(std::memory_order_relaxed);
    if (programSwitched.exchange(false, std::memory_order_acquire))
        for (auto* parameter : organParameters)
        {
            if (statesLoaded.load(std::memory_order_relaxed) != loadedBefore)
                break;
            parameter->sendValueChangedMessageToListeners(parameter->getValue());
        }
    updateHostDisplay(ChangeDetails().withProgramChanged(true));
}

// Editor.

juce::AudioProcessorEditor* OrganProcessor::createEditor()
{
    std::unique_ptr<AudioFilterEditor> editor(filter->CreateEditorAndMakeActive());
    if (editor == nullptr)
        return nullptr;
    return new OrganProcessorEditor(*this, std::move(editor));
}
} // namespace brumalux

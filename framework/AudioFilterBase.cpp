#include "AudioFilterBase.h"

#include "AudioFilterEditor.h"
#include "FilterNativeCallbacks.h"

namespace brumalux
{

void AudioFilterBase::SetPlayConfiguration(double newSampleRate, int newBlockSize) noexcept
{
    sampleRate.store(newSampleRate, std::memory_order_relaxed);
    blockSize.store(newBlockSize, std::memory_order_relaxed);
}

void AudioFilterBase::SetParameterAndTellHost(int index, float normalisedValue)
{
    if (callbacks != nullptr)
        callbacks->SetParameterAndTellHost(*this, index, normalisedValue);
    else
        SetNormalisedParameter(index, normalisedValue);
}

void AudioFilterBase::BeginParameterGesture(int index)
{
    if (callbacks != nullptr)
        callbacks->BeginParameterGesture(*this, index);
}

void AudioFilterBase::TellHostProgramChanged()
{
    if (callbacks != nullptr)
        callbacks->ProgramChanged(*this);
}

void AudioFilterBase::TellHostSettingsChanged()
{
    if (callbacks != nullptr)
        callbacks->SettingsChanged(*this);
}

void AudioFilterBase::EndParameterGesture(int index)
{
    if (callbacks != nullptr)
        callbacks->EndParameterGesture(*this, index);
}

AudioFilterEditor* AudioFilterBase::CreateEditorAndMakeActive()
{
    auto* editor = CreateEditor();
    if (editor != nullptr)
        EditorCreated(*editor);
    const juce::ScopedLock lock(callbackLock);
    activeEditor = editor;
    return editor;
}

void AudioFilterBase::EditorBeingDeleted(AudioFilterEditor* editor)
{
    const juce::ScopedLock lock(callbackLock);
    if (editor == nullptr || editor != activeEditor)
        return;
    activeEditor = nullptr;
    ActiveEditorGone();
}

} // namespace brumalux

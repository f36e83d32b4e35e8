#pragma once

#include "vst2host/PluginLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>
#include <vector>

namespace brumalux
{

// The built VST3 and LV2 bundles as a host finds and opens them through JUCE's hosting, and
// the organ's state inside what such a host saves.
extern const char* const lv2Uri;
constexpr int numParameters = 27;
constexpr int numPrograms = 10;

// The one plug-in the format finds for this file or identifier, created at this rate and
// block size; null when the format finds none, or more than one.
std::unique_ptr<juce::AudioPluginInstance>
Instantiate(juce::AudioPluginFormat& format, const juce::String& file, double sampleRate, int blockSize);

// The VST3 bundle; the LV2 one, with its format told where the bundle is (JUCE's LV2 hosting
// reads no LV2_PATH).
std::unique_ptr<juce::AudioPluginInstance> LoadVst3(juce::VST3PluginFormat& format, double sampleRate,
                                                    int blockSize);
std::unique_ptr<juce::AudioPluginInstance> LoadLv2(juce::LV2PluginFormat& format, double sampleRate,
                                                   int blockSize);

// The organ's state bytes inside a host's saved state of the form ("VST3" or "LV2"), and a
// host state of that form holding these bytes (for LV2, the instance's own state with them).
juce::MemoryBlock OrganBytesFromState(const char* form, const juce::MemoryBlock& hostState);
juce::MemoryBlock StateWithOrganBytes(const char* form, juce::AudioPluginInstance& instance,
                                      const juce::MemoryBlock& organBytes);

// Every program's values as the VST 2 plug-in reads them from these state bytes, without
// "Unused", which the engine rewrites whenever it renders.
using Bank = std::vector<std::vector<float>>;
Bank ProgramsAsVst2ReadsThem(vst2host::PluginLibrary& vst2Library, juce::MemoryBlock bytes);

} // namespace brumalux

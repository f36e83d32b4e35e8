#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

namespace brumalux
{

namespace render_test
{
// A fresh folder for one test's files, removed with everything in it afterwards.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    std::string Path(const std::string& name) const;
    // Every file in the folder, hidden ones included: what a failed render must not leave behind.
    std::vector<std::string> Files() const;

private:
    juce::File folder;
};

struct ToolRun
{
    int exitCode = -1;
    std::string out, err;
};

// The tool in this process, as the executable's main runs it.
ToolRun RunInProcess(const std::vector<std::string>& arguments);
// The built executable as a child process.
ToolRun RunExecutable(const std::vector<std::string>& arguments);

struct TimedEvent
{
    int tick;
    juce::MidiMessage message;
};

// 480 ticks per beat, 120 beats per minute until tick 480, then 60: tick 960 is at 1.5 s.
// Format 0 puts everything in one track; format 1 puts the tempo in track 0 and the events in track 1.
void WriteMidiWithTempoChange(const std::string& path, int format, const std::vector<TimedEvent>& events);
// 480 ticks per beat at the default 120 beats per minute.
void WriteMidi(const std::string& path, const std::vector<TimedEvent>& events);

struct Wav
{
    double sampleRate = 0;
    int bitsPerSample = 0;
    juce::AudioBuffer<float> samples;
};
Wav ReadWav(const std::string& path);

// The first sample whose magnitude reaches the threshold in channel 0; -1 if none.
int FirstSoundingSample(const Wav& wav, float threshold = 1e-4f);
float PeakOf(const Wav& wav, int channel);
// Measured from the zero crossings of channel 0 within the given samples.
double FrequencyOf(const Wav& wav, int startSample, int numSamples);
} // namespace render_test

} // namespace brumalux

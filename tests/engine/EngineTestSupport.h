#pragma once

#include "engine/Brumalux.h"

#include <memory>
#include <vector>

namespace brumalux
{

struct StereoSignal
{
    std::vector<float> left, right;
};

// A MIDI event at a sample position counted from the start of a render.
struct TimedMidi
{
    int position;
    juce::MidiMessage message;
};

juce::MidiMessage NoteOn(int note, int velocity = 127, int channel = 1);
juce::MidiMessage NoteOff(int note, int channel = 1);
juce::MidiMessage Controller(int number, int value, int channel = 1);
juce::MidiMessage PitchWheel(int value, int channel = 1);

// Plays an organ as a host does: consecutive blocks, each with the events that fall into it.
class OrganDriver
{
public:
    explicit OrganDriver(Brumalux& organToDrive, int blockSizeToUse = 512)
        : organ(organToDrive),
          blockSize(blockSizeToUse)
    {
    }

    // Renders numSamples from the current position; event positions count from here.
    StereoSignal Render(int numSamples, const std::vector<TimedMidi>& events = {});
    // The same with explicit block lengths (the last is repeated as needed).
    StereoSignal Render(int numSamples, const std::vector<TimedMidi>& events,
                        const std::vector<int>& blockLengths);

private:
    Brumalux& organ;
    int blockSize;
};

// A fresh organ prepared at the rate and block size.
std::unique_ptr<Brumalux> MakeOrgan(double sampleRate = 44100.0, int blockSize = 512);

// Settings under which one drawbar sounds a plain sine at its own pitch through a transparent chain:
// waveform Sine, only that drawbar pulled out, no percussion, click or vibrato, speaker off.
void MakeMeasurable(OrganParameters& parameters, int drawbar = 0);

juce::MemoryBlock StateOf(Brumalux& organ);
// A fresh organ's state (the factory bank) followed by a settings block holding these entries.
juce::MemoryBlock BankWithSettings(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& entries);

double Frequency(const std::vector<float>& signal, double sampleRate, int from = 0);
double Rms(const std::vector<float>& signal, int from, int to);
// The signal's amplitude at one frequency (Goertzel).
double Magnitude(const std::vector<float>& signal, double frequency, double sampleRate, int from, int to);
int FirstNonZero(const std::vector<float>& signal);
bool AllFinite(const StereoSignal& signal);
double NoteHz(int note); // 440 Hz at note 81, independent of the engine's own helper

} // namespace brumalux

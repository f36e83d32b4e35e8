#include "EngineTestSupport.h"

#include <algorithm>
#include <cmath>

namespace brumalux
{

juce::MidiMessage NoteOn(int note, int velocity, int channel)
{
    return juce::MidiMessage::noteOn(channel, note, static_cast<juce::uint8>(velocity));
}

juce::MidiMessage NoteOff(int note, int channel)
{
    return juce::MidiMessage::noteOff(channel, note, static_cast<juce::uint8>(0));
}

juce::MidiMessage Controller(int number, int value, int channel)
{
    return juce::MidiMessage::controllerEvent(channel, number, value);
}

juce::MidiMessage PitchWheel(int value, int channel)
{
    return juce::MidiMessage::pitchWheel(channel, value);
}

StereoSignal OrganDriver::Render(int numSamples, const std::vector<TimedMidi>& events)
{
    return Render(numSamples, events, {blockSize});
}

StereoSignal OrganDriver::Render(int numSamples, const std::vector<TimedMidi>& events,
                                 const std::vector<int>& blockLengths)
{
    StereoSignal result;
    juce::AudioSampleBuffer input(2, 1);
    for (int done = 0, blockIndex = 0; done < numSamples; ++blockIndex)
    {
        const int length =
            std::min(blockLengths[std::min<size_t>(blockIndex, blockLengths.size() - 1)], numSamples - done);
        juce::AudioSampleBuffer output(2, length);
        output.clear();
        juce::MidiBuffer midi;
        for (const auto& event : events)
            if (event.position >= done && event.position < done + length)
                midi.addEvent(event.message, event.position - done);
        organ.ProcessBlock(input, output, false, midi);
        result.left.insert(result.left.end(), output.getReadPointer(0), output.getReadPointer(0) + length);
        result.right.insert(result.right.end(), output.getReadPointer(1), output.getReadPointer(1) + length);
        done += length;
    }
    return result;
}

std::unique_ptr<Brumalux> MakeOrgan(double sampleRate, int blockSize)
{
    auto organ = std::make_unique<Brumalux>();
    organ->PrepareToPlay(sampleRate, blockSize);
    return organ;
}

void MakeMeasurable(OrganParameters& parameters, int drawbar)
{
    parameters.oscillator = 0.0f;
    for (int k = 0; k < numDrawbars; ++k)
        parameters.drawbars[k] = k == drawbar ? 1.0f : 0.0f;
    parameters.percussionLevel = 0.0f;
    parameters.clickLevel = 0.0f;
    parameters.vibrato = 0.0f;
    parameters.speakerOn = 0.0f;
    parameters.distortion = 1.0f;
}

juce::MemoryBlock StateOf(Brumalux& organ)
{
    juce::MemoryBlock state;
    organ.SaveState(state);
    return state;
}

juce::MemoryBlock BankWithSettings(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& entries)
{
    auto state = StateOf(*MakeOrgan());
    SettingsBlock block;
    for (const auto& [key, value] : entries)
        block.Add(*reinterpret_cast<const SettingsBlock::Key*>(key), value.data(), value.size());
    block.AppendTo(state);
    return state;
}

double Frequency(const std::vector<float>& signal, double sampleRate, int from)
{
    // Rising zero crossings, placed between samples by linear interpolation.
    std::vector<double> crossings;
    for (size_t i = static_cast<size_t>(from) + 1; i < signal.size(); ++i)
        if (signal[i - 1] < 0.0f && signal[i] >= 0.0f)
            crossings.push_back(static_cast<double>(i - 1) + signal[i - 1] / (signal[i - 1] - signal[i]));
    if (crossings.size() < 2)
        return 0.0;
    return static_cast<double>(crossings.size() - 1) / (crossings.back() - crossings.front()) * sampleRate;
}

double Rms(const std::vector<float>& signal, int from, int to)
{
    double sum = 0.0;
    for (int i = from; i < to; ++i)
        sum += static_cast<double>(signal[static_cast<size_t>(i)]) * signal[static_cast<size_t>(i)];
    return std::sqrt(sum / std::max(1, to - from));
}

double Magnitude(const std::vector<float>& signal, double frequency, double sampleRate, int from, int to)
{
    const double coefficient = 2.0 * std::cos(2.0 * juce::MathConstants<double>::pi * frequency / sampleRate);
    double previous = 0.0, beforePrevious = 0.0;
    for (int i = from; i < to; ++i)
    {
        const double current = signal[static_cast<size_t>(i)] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power =
        previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / (to - from);
}

int FirstNonZero(const std::vector<float>& signal)
{
    const auto found = std::find_if(signal.begin(), signal.end(), [](float x) { return x != 0.0f; });
    return found == signal.end() ? -1 : static_cast<int>(found - signal.begin());
}

bool AllFinite(const StereoSignal& signal)
{
    const auto finite = [](float x) { return std::isfinite(x); };
    return std::all_of(signal.left.begin(), signal.left.end(), finite) &&
           std::all_of(signal.right.begin(), signal.right.end(), finite);
}

double NoteHz(int note)
{
    return 440.0 * std::pow(2.0, (note - 81) / 12.0);
}

} // namespace brumalux

// Whole ProcessBlock cost of the organ at 44.1 kHz with blocks of 256 samples, for held chords, against a
// plain interpolated table read measured in the same run. Compare the per_sample counters; realtime is
// seconds of audio rendered per second of processor time.

#include "engine/Brumalux.h"

#include "InterpolatedTableRead.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
constexpr int blockSize = 256;
constexpr double sampleRate = 44100.0;

void CountSamples(benchmark::State& state)
{
    const double samples = static_cast<double>(state.iterations()) * blockSize;
    state.counters["per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime"] = benchmark::Counter(samples / sampleRate, benchmark::Counter::kIsRate);
}

void Baseline_InterpolatedTableRead(benchmark::State& state)
{
    InterpolatedTableRead baseline(440.0 / sampleRate);
    for (auto _ : state)
        baseline.ReadBlock(blockSize);
    CountSamples(state);
}
BENCHMARK(Baseline_InterpolatedTableRead);

// A chord of state.range(0) notes held for a second (attack, decay and percussion over), then one block
// per iteration; state.range(1) switches the speaker.
void Organ_HeldChord(benchmark::State& state)
{
    const int numNotes = static_cast<int>(state.range(0));
    auto organ = std::make_unique<Brumalux>();
    organ->PrepareToPlay(sampleRate, blockSize);
    organ->Parameters().speakerOn = static_cast<float>(state.range(1));
    juce::AudioSampleBuffer input(2, blockSize), output(2, blockSize);
    juce::MidiBuffer midi;
    for (int note = 0; note < numNotes; ++note)
        midi.addEvent(juce::MidiMessage::noteOn(1, 30 + note, static_cast<juce::uint8>(100)),
                      note % blockSize);
    for (int block = 0; block < static_cast<int>(sampleRate) / blockSize; ++block)
        organ->ProcessBlock(input, output, false, midi);

    for (auto _ : state)
    {
        organ->ProcessBlock(input, output, false, midi);
        benchmark::DoNotOptimize(output.getReadPointer(0));
    }
    if (organ->Voices().Size() != numNotes)
        state.SkipWithError("the chord did not hold");
    CountSamples(state);
}
BENCHMARK(Organ_HeldChord)->ArgsProduct({{0, 1, 8, 32, 64}, {0, 1}})->ArgNames({"notes", "speaker"});
} // namespace

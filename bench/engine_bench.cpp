// Whole ProcessBlock cost of the organ at 44.1 kHz with blocks of 256 samples, for held chords, against a
// plain interpolated table read measured in the same run. Compare the per_sample counters; realtime is
// seconds of audio rendered per second of processor time.

#include "engine/Brumalux.h"

#include "InterpolatedTableRead.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <vector>

namespace brumalux
{

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

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The audio thread's worst block: 10000 blocks of a held chord of eight notes while a ninth note starts and
// ends in every block, each block timed alone. Reports the longest and the median block and their ratio.
// Timed in the thread's processor time, so that a busy machine taking the processor away mid-block does
// not count as the organ's cost.
void Organ_WorstBlockUnderNoteChurn(benchmark::State& state)
{
    constexpr int numBlocks = 10000;
    auto organ = std::make_unique<Brumalux>();
    organ->PrepareToPlay(sampleRate, blockSize);
    organ->Parameters().speakerOn = 1.0f;
    juce::AudioSampleBuffer input(2, blockSize), output(2, blockSize);
    juce::MidiBuffer chord;
    for (int note = 0; note < 8; ++note)
        chord.addEvent(juce::MidiMessage::noteOn(1, 48 + note * 3, static_cast<juce::uint8>(100)), 0);
    organ->ProcessBlock(input, output, false, chord);
    std::vector<double> seconds(numBlocks);
    for (auto _ : state)
        for (int block = 0; block < numBlocks; ++block)
        {
            juce::MidiBuffer churn;
            const int note = 80 + block % 20;
            churn.addEvent(juce::MidiMessage::noteOn(1, note, static_cast<juce::uint8>(90)), block % 200);
            churn.addEvent(juce::MidiMessage::noteOff(1, note), 200 + block % 50);
            const double start = ThreadSeconds();
            organ->ProcessBlock(input, output, false, churn);
            seconds[static_cast<size_t>(block)] = ThreadSeconds() - start;
        }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[numBlocks / 2];
    state.counters["median_us"] = median * 1e6;
    state.counters["worst_us"] = seconds.back() * 1e6;
    state.counters["worst_over_median"] = seconds.back() / median;
}
BENCHMARK(Organ_WorstBlockUnderNoteChurn)->Iterations(1)->Unit(benchmark::kMillisecond);

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}

double HeapMiB()
{
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// What one prepared organ adds to the process's resident memory with 64 voices sounding, at the sample
// rate state.range(0) (Linux only), and the heap memory it holds: the resident figure moves in whole
// pages and with what the heap keeps at hand. Each organ stays alive to the end, so that the next one
// cannot reuse its pages and hide its own.
void Organ_ResidentMemoryWith64Voices(benchmark::State& state)
{
    static std::vector<std::unique_ptr<Brumalux>> measured;
    const auto rate = static_cast<double>(state.range(0));
    for (auto _ : state)
    {
        const double before = ResidentMiB();
        const double heapBefore = HeapMiB();
        auto organ = std::make_unique<Brumalux>();
        organ->PrepareToPlay(rate, blockSize);
        organ->Parameters().speakerOn = 1.0f;
        juce::AudioSampleBuffer input(2, blockSize), output(2, blockSize);
        juce::MidiBuffer midi;
        for (int note = 0; note < 64; ++note)
            midi.addEvent(juce::MidiMessage::noteOn(1, 30 + note, static_cast<juce::uint8>(100)), 0);
        // A second: far longer than any delay line, so that every one has been written through.
        for (int block = 0; block < static_cast<int>(rate) / blockSize; ++block)
        {
            organ->ProcessBlock(input, output, false, midi);
            midi.clear();
        }
        if (organ->Voices().Size() != 64)
            state.SkipWithError("the voices did not hold");
        state.counters["organ_MiB"] = ResidentMiB() - before;
        state.counters["organ_heap_MiB"] = HeapMiB() - heapBefore;
        state.counters["process_MiB"] = ResidentMiB();
        measured.push_back(std::move(organ));
    }
}
BENCHMARK(Organ_ResidentMemoryWith64Voices)
    ->Arg(44100)
    ->Arg(48000)
    ->Arg(192000)
    ->ArgName("rate")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
} // namespace

} // namespace brumalux

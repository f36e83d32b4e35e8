// Cost per sample of the DSP building blocks, against a plain interpolated table read measured in the
// same run. Compare the per_sample counters: each benchmark handles one block of samples per iteration.

#include "dsp/BiQuadFilters.h"
#include "dsp/DSPModule_ADSR.h"
#include "dsp/ModulatedDelayLine.h"
#include "dsp/MultiOrganShapes.h"
#include "dsp/SaturationStage.h"
#include "dsp/ShapeOscillator.h"
#include "dsp/SingleWaveShapes.h"

#include "InterpolatedTableRead.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace brumalux
{

namespace
{
constexpr int blockSize = 256;
constexpr int sampleRate = 44100;

void CountSamples(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * blockSize);
    // An inverted rate: seconds per sample, shown with an SI prefix (e.g. "1.75ns").
    state.counters["per_sample"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockSize,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<float> TestSignal()
{
    std::vector<float> signal(blockSize);
    for (int n = 0; n < blockSize; ++n)
        signal[n] = static_cast<float>(0.4 * std::sin(0.05 * n) + 0.2 * std::sin(0.31 * n));
    return signal;
}

void Baseline_InterpolatedTableRead(benchmark::State& state)
{
    InterpolatedTableRead baseline(440.0 / sampleRate);
    for (auto _ : state)
        baseline.ReadBlock(blockSize);
    CountSamples(state);
}
BENCHMARK(Baseline_InterpolatedTableRead);

void ShapeOscillator_TickOnDrawbarSum(benchmark::State& state)
{
    OscillatorShape_Sine base;
    OscillatorShape_MultiOrganOctave4 shape;
    shape.SetSampleRate(sampleRate);
    shape.SetBaseShape(&base);
    const float levels[9] = {0.8f, 0.8f, 0.8f, 0.5f, 0.3f, 0.2f, 0.1f, 0.1f, 0.1f};
    shape.SetDrawbars(levels);
    ShapeOscillator oscillator;
    oscillator.SetSampleRate(sampleRate);
    oscillator.SetShape(&shape);
    oscillator.SetFrequency(440.0);
    for (auto _ : state)
        for (int n = 0; n < blockSize; ++n)
            benchmark::DoNotOptimize(oscillator.Tick());
    CountSamples(state);
}
BENCHMARK(ShapeOscillator_TickOnDrawbarSum);

void ADSR_LevelAt(benchmark::State& state)
{
    DSPModule_ADSR envelope;
    envelope.ReleaseAt(30000);
    int t = 0;
    for (auto _ : state)
    {
        for (int n = 0; n < blockSize; ++n)
            benchmark::DoNotOptimize(envelope.LevelAt(t + n));
        t = (t + blockSize) % 60000; // through every segment
    }
    CountSamples(state);
}
BENCHMARK(ADSR_LevelAt);

void LowPassFilter_Process(benchmark::State& state)
{
    const std::vector<float> signal = TestSignal();
    DSPModule_LowPassFilter filter;
    filter.SetFrequency(0.05f);
    filter.SetQ(0.7071f);
    for (auto _ : state)
        for (float x : signal)
            benchmark::DoNotOptimize(filter.Process(x));
    CountSamples(state);
}
BENCHMARK(LowPassFilter_Process);

// Parameters held: the stage skips recomputing coefficients that did not move.
void SaturationStage_ProcessSteady(benchmark::State& state)
{
    const std::vector<float> signal = TestSignal();
    SaturationStage stage;
    for (auto _ : state)
        for (float x : signal)
            benchmark::DoNotOptimize(stage.Process(x));
    CountSamples(state);
}
BENCHMARK(SaturationStage_ProcessSteady);

// Cutoff and centre moved at every sample, as the engine's slow modulator does: both filters retune.
void SaturationStage_ProcessModulated(benchmark::State& state)
{
    const std::vector<float> signal = TestSignal();
    SaturationStage stage;
    float sweep = 0.0f;
    for (auto _ : state)
        for (float x : signal)
        {
            sweep = sweep < 1.0f ? sweep + 1e-4f : 0.0f;
            stage.lowPassCutoff = 0.08f + 0.02f * sweep;
            stage.bandPassCentre = 0.04f + 0.01f * sweep;
            benchmark::DoNotOptimize(stage.Process(x));
        }
    CountSamples(state);
}
BENCHMARK(SaturationStage_ProcessModulated);

void ModulatedDelayLine_Process(benchmark::State& state)
{
    const std::vector<float> signal = TestSignal();
    ModulatedDelayLine line;
    line.Allocate(10 * sampleRate);
    line.SetDepth(20.0f);
    line.SetRate(6.0f / sampleRate);
    line.SetMix(0.5f);
    for (auto _ : state)
        for (float x : signal)
            benchmark::DoNotOptimize(line.Process(x));
    CountSamples(state);
}
BENCHMARK(ModulatedDelayLine_Process);
} // namespace

} // namespace brumalux

#pragma once

namespace brumalux
{

// Reads a one-cycle wavetable (intervals + 1 entries) at many phases at once, each as
// OscillatorShape_Base::InterpolateCycle reads it. Two builds of the same loop: one for every x86-64
// processor (SSE2), one for processors with AVX2 and FMA, chosen once at run time; the fused
// multiply-add of the second rounds the interpolation once instead of twice. Off x86 the first is the
// plain loop. Any thread.
namespace CycleTableRead
{
using Reader = void (*)(const float* table, int intervals, const float* phases, float* out, int count);

// The plain loop, on every processor.
void Portable(const float* table, int intervals, const float* phases, float* out, int count);
void Baseline(const float* table, int intervals, const float* phases, float* out, int count);
// Only on a processor that has AVX2 and FMA (HasAvx2AndFma).
void Avx2Fma(const float* table, int intervals, const float* phases, float* out, int count);
bool HasAvx2AndFma();

// The best build for this processor, or the one the environment variable BRUMALUX_SIMD names, so that
// renders can be compared across builds and processors: "portable", "sse2" (the baseline) or "avx2"
// (where the processor has AVX2 and FMA).
Reader Best();

inline void Read(const float* table, int intervals, const float* phases, float* out, int count)
{
    static const Reader reader = Best();
    reader(table, intervals, phases, out, count);
}
} // namespace CycleTableRead

} // namespace brumalux

#pragma once

namespace brumalux
{

// Reads a one-cycle wavetable (intervals + 1 entries) at many phases at once, each as
// OscillatorShape_Base::InterpolateCycle reads it. Two builds of the same loop: one for every x86-64
// processor (SSE2), one for processors with AVX2 and FMA, chosen once at run time; the fused
// multiply-add of the second rounds the interpolation once instead of twice. Any thread.
namespace CycleTableRead
{
using Reader = void (*)(const float* table, int intervals, const float* phases, float* out, int count);

void Baseline(const float* table, int intervals, const float* phases, float* out, int count);
// Only on a processor that has AVX2 and FMA (HasAvx2AndFma).
void Avx2Fma(const float* table, int intervals, const float* phases, float* out, int count);
bool HasAvx2AndFma();

// The best of the two for this processor.
Reader Best();

inline void Read(const float* table, int intervals, const float* phases, float* out, int count)
{
    static const Reader reader = Best();
    reader(table, intervals, phases, out, count);
}
} // namespace CycleTableRead

} // namespace brumalux

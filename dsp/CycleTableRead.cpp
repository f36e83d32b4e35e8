#include "dsp/CycleTableRead.h"

#include "dsp/OscillatorShape_Base.h"

#include <cstdlib>
#include <string_view>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace brumalux
{

namespace CycleTableRead
{

// Windows keeps its stack 16-byte aligned, which the wide registers' spills would need at 32, so the
// AVX2 build is left to the other systems.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define BRUMALUX_AVX2_READER 1
#endif

namespace
{
// One loop for both builds, so that they can differ in nothing but the instructions chosen.
inline __attribute__((always_inline)) void ReadAll(const float* __restrict table, int intervals,
                                                   const float* __restrict phases, float* __restrict out,
                                                   int count)
{
    for (int k = 0; k < count; ++k)
        out[k] = OscillatorShape_Base::InterpolateCycle(table, intervals, phases[k]);
}
} // namespace

void Portable(const float* table, int intervals, const float* phases, float* out, int count)
{
    ReadAll(table, intervals, phases, out, count);
}

// Four reads at a time where SSE2 is there (every x86-64 processor): the arithmetic side by side, the
// table entries fetched one by one; then the rest one by one.
void Baseline(const float* table, int intervals, const float* phases, float* out, int count)
{
    int k = 0;
#ifdef __SSE2__
    const __m128 scale = _mm_set1_ps(static_cast<float>(intervals));
    const __m128i lastInterval = _mm_set1_epi32(intervals - 1);
    const __m128 zero = _mm_setzero_ps();
    const __m128 one = _mm_set1_ps(1.0f);
    alignas(16) int indices[4];
    for (; k + 4 <= count; k += 4)
    {
        const __m128 phase = _mm_loadu_ps(phases + k);
        const __m128 inCycle = _mm_and_ps(_mm_cmpge_ps(phase, zero), _mm_cmplt_ps(phase, one));
        const __m128 x = _mm_mul_ps(scale, _mm_and_ps(phase, inCycle));
        const __m128i truncated = _mm_cvttps_epi32(x);
        const __m128i beyond = _mm_cmpgt_epi32(truncated, lastInterval);
        const __m128i i =
            _mm_or_si128(_mm_and_si128(beyond, lastInterval), _mm_andnot_si128(beyond, truncated));
        const __m128 fraction = _mm_sub_ps(x, _mm_cvtepi32_ps(i));
        _mm_store_si128(reinterpret_cast<__m128i*>(indices), i);
        const __m128 here =
            _mm_setr_ps(table[indices[0]], table[indices[1]], table[indices[2]], table[indices[3]]);
        const __m128 next = _mm_setr_ps(table[indices[0] + 1], table[indices[1] + 1], table[indices[2] + 1],
                                        table[indices[3] + 1]);
        _mm_storeu_ps(out + k, _mm_add_ps(here, _mm_mul_ps(_mm_sub_ps(next, here), fraction)));
    }
#endif
    ReadAll(table, intervals, phases + k, out + k, count - k);
}

#ifdef BRUMALUX_AVX2_READER
// Eight reads at a time, each as InterpolateCycle reads, then the rest one by one.
__attribute__((target("avx2,fma"))) void Avx2Fma(const float* table, int intervals, const float* phases,
                                                 float* out, int count)
{
    const __m256 scale = _mm256_set1_ps(static_cast<float>(intervals));
    const __m256i lastInterval = _mm256_set1_epi32(intervals - 1);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    int k = 0;
    for (; k + 8 <= count; k += 8)
    {
        const __m256 phase = _mm256_loadu_ps(phases + k);
        const __m256 inCycle =
            _mm256_and_ps(_mm256_cmp_ps(phase, zero, _CMP_GE_OQ), _mm256_cmp_ps(phase, one, _CMP_LT_OQ));
        const __m256 x = _mm256_mul_ps(scale, _mm256_and_ps(phase, inCycle));
        const __m256i i = _mm256_min_epi32(_mm256_cvttps_epi32(x), lastInterval);
        const __m256 fraction = _mm256_sub_ps(x, _mm256_cvtepi32_ps(i));
        const __m256 here = _mm256_i32gather_ps(table, i, 4);
        const __m256 next = _mm256_i32gather_ps(table + 1, i, 4);
        _mm256_storeu_ps(out + k, _mm256_fmadd_ps(_mm256_sub_ps(next, here), fraction, here));
    }
    ReadAll(table, intervals, phases + k, out + k, count - k);
}

bool HasAvx2AndFma()
{
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#else
void Avx2Fma(const float* table, int intervals, const float* phases, float* out, int count)
{
    ReadAll(table, intervals, phases, out, count);
}

bool HasAvx2AndFma()
{
    return false;
}
#endif

Reader Best()
{
    const char* const chosen = std::getenv("BRUMALUX_SIMD");
    const std::string_view name = chosen != nullptr ? chosen : "";
    if (name == "portable")
        return Portable;
    if (name == "sse2")
        return Baseline;
    return HasAvx2AndFma() ? Avx2Fma : Baseline;
}

} // namespace CycleTableRead

} // namespace brumalux

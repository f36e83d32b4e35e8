#pragma once

#include "dsp/CycleTableRead.h"
#include "dsp/OscillatorShape_Base.h"

namespace brumalux
{

// A phase accumulator that reads a shape's table at a frequency in Hz. Audio thread only; the phase is
// never reset, so each voice gets a fresh oscillator.
class ShapeOscillator
{
public:
    // Callers keep the frequency at or above 0 and below the sample rate. Should one slip outside, the
    // phase is still brought back into [0, 1), so no read leaves the table.
    void SetFrequency(double hz);
    void SetSampleRate(int sampleRate);
    // Not owned; none means silence.
    void SetShape(OscillatorShape_Base* newShape) { shape = newShape; }
    // Kept for the owner's bookkeeping; Tick does not apply it.
    void SetPhaseOffset(float offset) { phaseOffset = offset; }
    float PhaseOffset() const { return phaseOffset; }

    double Phase() const { return phase; }

    // The sample at the current phase; then the phase advances by one sample.
    float Tick()
    {
        const float sample = shape != nullptr ? shape->ReadCyclePhase(static_cast<float>(phase)) : 0.0f;
        phase += increment;
        if (phase >= 1.0)
            phase -= 1.0;
        if (!(phase >= 0.0 && phase < 1.0))
            phase = WrapStrayPhase(phase);
        return sample;
    }

    // Adds the next count samples into out, each multiplied by gain and then by level: what count Ticks
    // give, in one tight loop.
    void AddTicks(float* out, int count, float gain, float level);
    // Writes the next count samples to out: what count Ticks give.
    void TicksInto(float* out, int count);

private:
    // Hands the next count samples to use(k, sample), in tight loops where it can be.
    template <typename Use> void RunTicks(int count, Use use)
    {
        // With the phase and its step inside [0, 1), one subtraction keeps the phase there and no stray
        // phase can arise; anything else, and a shape without a table, takes the general path.
        const bool inRange = phase >= 0.0 && phase < 1.0 && increment >= 0.0 && increment < 1.0;
        if (shape == nullptr || shape->Table().empty() || !inRange)
        {
            for (int k = 0; k < count; ++k)
                use(k, Tick());
            return;
        }
        const float* table = shape->Table().data();
        const int intervals = shape->TableCount();
        // A run at a time: the phases one after the other (each is the one before plus the step), then the
        // table reads side by side.
        constexpr int run = 64;
        float phases[run], samples[run];
        for (int first = 0; first < count; first += run)
        {
            const int length = count - first < run ? count - first : run;
            AdvancePhases(phases, length);
            CycleTableRead::Read(table, intervals, phases, samples, length);
            for (int k = 0; k < length; ++k)
                use(first + k, samples[k]);
        }
    }
    // The phases of the next count samples, in single precision as the table is read; the phase moves on.
    void AdvancePhases(float* phases, int count);

    void Retune();
    static double WrapStrayPhase(double strayPhase);

    double cycleLength = 0.0; // samples
    int sampleRate = 44100;
    double frequency = 0.0; // Hz
    float phaseOffset = 0.0f;
    double phase = 0.0;     // cycles, in [0, 1)
    double increment = 0.0; // cycles per sample
    OscillatorShape_Base* shape = nullptr;
};

} // namespace brumalux

#pragma once

namespace brumalux
{

// The swell (expression) pedal on controller 11: a gain on the voice mix ahead of the overdrive, so that
// the drive follows the pedal as it does on the instrument. 127, and the state before any position
// arrives, is unity and leaves the mix untouched; 0 is floorDecibels down, still audible; the positions
// in between are evenly spaced in decibels. A new position is reached along a straight ramp of
// rampSeconds, so a pedal moving in steps of one is heard without a zipper. Audio thread only.
class SwellPedal
{
public:
    static constexpr int fullyOpen = 127;
    static constexpr float floorDecibels = -30.0f;
    static constexpr float rampSeconds = 0.005f;

    // The gain of a resting pedal at a controller value in 0 to 127.
    static float GainAt(int position);

    // Sizes the ramp for the rate and lands on the last position at once: a resume starts settled.
    void Prepare(float sampleRate);
    void SetPosition(int position);
    // Fully open at once, as before any position arrived.
    void Reset();

    // Multiplies numSamples of mix by the gain; while the pedal rests fully open it touches nothing.
    void Process(float* mix, int numSamples);

    float CurrentGain() const { return gain; }

private:
    float gain = 1.0f;
    float target = 1.0f;
    float step = 0.0f;      // gain change per sample along the ramp
    int rampLength = 1;     // samples from one position to the next
    int remainingSteps = 0; // samples left on the ramp; 0 when resting at target
};

} // namespace brumalux

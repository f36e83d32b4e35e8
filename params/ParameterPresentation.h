#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace brumalux
{

// How an organ parameter reads in a host's own controls (the VST3 and LV2 forms): its unit, its
// precision, and the names of its values where they have names. The VST 2 form keeps the plain
// numbers it has always shown. Any thread.
namespace ParameterPresentation
{
enum class Style
{
    level,        // 0 to 1, no unit
    number,       // a number in no unit
    milliseconds, // "ms"
    hertz,        // "Hz": the tone filter, and the rotors' rotations per second
    shape,        // the basic waveform, by name
    onOff,        // a switch: exactly 0 is off
    unused        // has no effect, so it is no control of its own
};

constexpr int numShapes = 7;
// The basic waveforms' names, "Sine" to "Square"; empty for a number out of range.
const char* ShapeName(int shape) noexcept;

Style StyleOf(int index) noexcept;
// Digits after the decimal point.
int DecimalsOf(int index) noexcept;
// "ms", "Hz", or empty for none.
const char* UnitOf(int index) noexcept;

// A name as hosts file the parameter: lower case, every character but letters and digits an
// underscore ("ADSR Att" is "adsr_att"). The VST3 form derives its parameter ids from it and the
// LV2 form its port symbols, so it never changes.
juce::String Symbol(const juce::String& name);

// The value in its own units as a host shows it, without the unit: "0.90", "50", "Organ sine",
// "On". Always with a "." decimal point, whatever the locale.
juce::String Text(int index, float value);
// A text as Text writes it (in any letter case, the unit may follow) back to its value; nothing
// for a text that names no value.
std::optional<float> ValueOf(int index, const juce::String& text);
} // namespace ParameterPresentation

} // namespace brumalux

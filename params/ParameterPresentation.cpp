#include "ParameterPresentation.h"

#include "OrganParameters.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace brumalux
{

namespace ParameterPresentation
{
namespace
{
constexpr std::array<const char*, numShapes> shapeNames{
    "Sine", "Organ sine", "Hard organ sine", "Triangle", "Rounded triangle", "Saw", "Square"};

struct Presentation
{
    Style style;
    int decimals;
};

Presentation Of(int index) noexcept
{
    namespace P = ParameterIndex;
    switch (index)
    {
        case P::oscillator:
            return {Style::shape, 0};
        case P::attack:
        case P::decay:
        case P::release:
            return {Style::milliseconds, 0};
        case P::tone:
            return {Style::hertz, 0};
        case P::slowSpeed1:
        case P::slowSpeed2:
        case P::fastSpeed1:
        case P::fastSpeed2:
            return {Style::hertz, 2};
        case P::distortion:
            return {Style::number, 2};
        case P::clipThresholdScale:
            return {Style::unused, 2};
        case P::speakerOn:
            return {Style::onOff, 0};
        default:
            return {Style::level, 2};
    }
}

juce::String Fixed(float value, int decimals)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof(text), static_cast<double>(value),
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return {};
    return juce::String(text, static_cast<size_t>(result.ptr - text));
}

// A number with a "." decimal point, all of the text but for an optional unit after it.
std::optional<float> ParseNumber(juce::String text, const char* unit)
{
    text = text.trim();
    if (*unit != 0 && text.endsWithIgnoreCase(unit))
        text = text.dropLastCharacters(static_cast<int>(std::strlen(unit))).trimEnd();
    const auto utf8 = text.toStdString();
    float value = 0.0f;
    const auto* end = utf8.data() + utf8.size();
    const auto result = std::from_chars(utf8.data(), end, value);
    if (utf8.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}
} // namespace

const char* ShapeName(int shape) noexcept
{
    return shape >= 0 && shape < numShapes ? shapeNames[static_cast<size_t>(shape)] : "";
}

Style StyleOf(int index) noexcept
{
    return Of(index).style;
}

int DecimalsOf(int index) noexcept
{
    return Of(index).decimals;
}

const char* UnitOf(int index) noexcept
{
    switch (StyleOf(index))
    {
        case Style::milliseconds:
            return "ms";
        case Style::hertz:
            return "Hz";
        default:
            return "";
    }
}

juce::String Symbol(const juce::String& name)
{
    juce::String symbol;
    for (auto character : name.toLowerCase())
        symbol += juce::CharacterFunctions::isLetterOrDigit(character) ? character : juce::juce_wchar('_');
    return symbol;
}

juce::String Text(int index, float value)
{
    switch (StyleOf(index))
    {
        case Style::shape:
            // The engine plays the integer part.
            if (value >= 0.0f && value < static_cast<float>(numShapes))
                return ShapeName(static_cast<int>(value));
            break;
        case Style::onOff:
            return value != 0.0f ? "On" : "Off";
        default:
            break;
    }
    return Fixed(value, DecimalsOf(index));
}

std::optional<float> ValueOf(int index, const juce::String& text)
{
    const auto trimmed = text.trim();
    switch (StyleOf(index))
    {
        case Style::shape:
            for (int shape = 0; shape < numShapes; ++shape)
                if (trimmed.equalsIgnoreCase(ShapeName(shape)))
                    return static_cast<float>(shape);
            break;
        case Style::onOff:
            if (trimmed.equalsIgnoreCase("on"))
                return 1.0f;
            if (trimmed.equalsIgnoreCase("off"))
                return 0.0f;
            break;
        default:
            break;
    }
    return ParseNumber(trimmed, UnitOf(index));
}
} // namespace ParameterPresentation

} // namespace brumalux

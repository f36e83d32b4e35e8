#include "tools/ParameterSetting.h"

#include "tools/RenderError.h"
#include "vst2host/PluginInstance.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

namespace brumalux::render
{
namespace
{
std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::optional<int> WholeNumber(const std::string& text)
{
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return text.size() > 9 ? std::optional<int>(-1) : std::optional<int>(std::stoi(text));
}

// The number a display text begins with ("-6.5 dB" gives -6.5); none for words.
std::optional<double> LeadingNumber(const std::string& text)
{
    const std::string trimmed = Trimmed(text);
    char* end = nullptr;
    const double value = std::strtod(trimmed.c_str(), &end);
    if (end == trimmed.c_str() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ExactNumber(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string Described(const PluginInstance& plugin, int index)
{
    return "parameter " + std::to_string(index) + " (" + Trimmed(plugin.Text(vst2::effGetParamName, index)) +
           ")";
}

// The plug-in shows the setting n as text; this is what the user sees of it.
std::optional<double> DisplayedNumber(PluginInstance& plugin, int index, float normalised)
{
    plugin.SetParameter(index, normalised);
    return LeadingNumber(plugin.Text(vst2::effGetParamDisplay, index));
}

// The setting nearest to outside whose display still shows what inside shows, by bisection.
float EdgeOfRun(PluginInstance& plugin, int index, float inside, float outside, double shows)
{
    while (true)
    {
        const float middle = inside + (outside - inside) * 0.5f;
        if (middle == inside || middle == outside)
            return inside;
        if (DisplayedNumber(plugin, index, middle) == shows)
            inside = middle;
        else
            outside = middle;
    }
}

// A display that rounds ("12.0") shows one number for a run of settings; the middle of the run is
// the value itself, where either edge would be off by up to half a display step.
float MiddleOfRun(PluginInstance& plugin, int index, float found, double shows)
{
    const float low =
        DisplayedNumber(plugin, index, 0.0f) == shows ? 0.0f : EdgeOfRun(plugin, index, found, 0.0f, shows);
    const float high =
        DisplayedNumber(plugin, index, 1.0f) == shows ? 1.0f : EdgeOfRun(plugin, index, found, 1.0f, shows);
    return low + (high - low) * 0.5f;
}

std::optional<float> BisectForNumber(PluginInstance& plugin, int index, double wanted)
{
    const auto atLow = DisplayedNumber(plugin, index, 0.0f);
    const auto atHigh = DisplayedNumber(plugin, index, 1.0f);
    if (!atLow || !atHigh)
        return std::nullopt;
    const double lowest = std::min(*atLow, *atHigh), highest = std::max(*atLow, *atHigh);
    const double slack = 1e-6 * std::max(1.0, highest - lowest);
    if (wanted < lowest - slack || wanted > highest + slack)
    {
        std::ostringstream message;
        message << wanted << " is outside the range of " << Described(plugin, index) << ", " << *atLow
                << " to " << *atHigh;
        throw RenderError(message.str());
    }
    const bool rising = *atHigh >= *atLow;
    float below = 0.0f, above = 1.0f; // the wanted value lies between the displays of these two
    double belowShows = rising ? *atLow : *atHigh, aboveShows = rising ? *atHigh : *atLow;
    if (!rising)
        std::swap(below, above);
    while (true)
    {
        const float middle = below + (above - below) * 0.5f;
        if (middle == below || middle == above)
            break;
        const auto shows = DisplayedNumber(plugin, index, middle);
        if (!shows)
            return std::nullopt;
        if (*shows < wanted)
            below = middle, belowShows = *shows;
        else
            above = middle, aboveShows = *shows;
    }
    const bool belowIsCloser = std::abs(belowShows - wanted) < std::abs(aboveShows - wanted);
    return MiddleOfRun(plugin, index, belowIsCloser ? below : above, belowIsCloser ? belowShows : aboveShows);
}

// Settings that show the wanted word, the middle of the first run of them: for a switch that shows
// "Off" up to 0.5 and "On" above, "On" is 0.75, well clear of where the plug-in changes its mind.
std::optional<float> ScanForWord(PluginInstance& plugin, int index, const std::string& wanted)
{
    constexpr int steps = 1000;
    std::optional<int> runStart, runEnd;
    for (int step = 0; step <= steps && !runEnd; ++step)
    {
        plugin.SetParameter(index, static_cast<float>(step) / steps);
        const bool shows =
            Lowered(Trimmed(plugin.Text(vst2::effGetParamDisplay, index))) == Lowered(Trimmed(wanted));
        if (shows && !runStart)
            runStart = step;
        if (!shows && runStart)
            runEnd = step - 1;
    }
    if (!runStart)
        return std::nullopt;
    return static_cast<float>(*runStart + runEnd.value_or(steps)) / (2.0f * steps);
}
} // namespace

int FindParameter(const PluginInstance& plugin, const std::string& nameOrIndex)
{
    if (const auto index = WholeNumber(nameOrIndex))
    {
        if (*index < 0 || *index >= plugin.Effect()->numParams)
            throw RenderError("parameter index " + nameOrIndex + " is out of range: the plug-in has " +
                              std::to_string(plugin.Effect()->numParams) + " parameters");
        return *index;
    }
    const std::string wanted = Lowered(Trimmed(nameOrIndex));
    std::vector<int> exact, cut;
    for (int index = 0; index < plugin.Effect()->numParams; ++index)
    {
        const std::string name = Lowered(Trimmed(plugin.Text(vst2::effGetParamName, index)));
        if (name == wanted)
            exact.push_back(index);
        else if (name.size() == vst2::kVstMaxParamStrLen && wanted.size() > name.size() &&
                 wanted.rfind(name, 0) == 0)
            cut.push_back(index);
    }
    const auto& found = exact.empty() ? cut : exact;
    if (found.empty())
        throw RenderError("the plug-in has no parameter called \"" + nameOrIndex + "\" (see --list)");
    if (found.size() > 1)
    {
        std::string indices;
        for (int index : found)
            indices += " " + std::to_string(index);
        throw RenderError("\"" + nameOrIndex +
                          "\" names several parameters; give one of their indices:" + indices);
    }
    return found.front();
}

float SetParameterInUnits(PluginInstance& plugin, int index, const std::string& value)
{
    std::optional<float> normalised;
    if (const auto number = ExactNumber(Trimmed(value)))
        normalised = BisectForNumber(plugin, index, *number);
    if (!normalised)
        normalised = ScanForWord(plugin, index, value);
    if (!normalised)
        throw RenderError("no setting of " + Described(plugin, index) + " shows \"" + value +
                          "\" (see --list)");
    plugin.SetParameter(index, *normalised);
    return *normalised;
}

void ApplyParameterRequest(PluginInstance& plugin, const ParameterRequest& request)
{
    const int index = FindParameter(plugin, request.parameter);
    if (!request.normalised)
    {
        SetParameterInUnits(plugin, index, request.value);
        return;
    }
    const auto normalised = ExactNumber(Trimmed(request.value));
    if (!normalised || *normalised < 0.0 || *normalised > 1.0)
        throw RenderError("--param-normalised wants a value from 0 to 1 for " + Described(plugin, index) +
                          ", not \"" + request.value + "\"");
    plugin.SetParameter(index, static_cast<float>(*normalised));
}
} // namespace brumalux::render

#pragma once

#include "tools/RenderOptions.h"

#include <string>

namespace brumalux::vst2host
{
class PluginInstance;
}

namespace brumalux::render
{
using brumalux::vst2host::PluginInstance;

// The parameter a user names: an index, or a name in any letter case, either in full or cut to the
// eight characters VST 2 hands to a host. Throws RenderError for an unknown or ambiguous name.
int FindParameter(const PluginInstance& plugin, const std::string& nameOrIndex);

// VST 2 tells a host neither a parameter's range nor its mapping, only the text for the current
// setting, so the setting is searched for: a number by bisection over the displayed numbers (which
// must rise or fall with the setting), anything else by scanning for the displayed word. Leaves the
// parameter at the normalised value it answers. Throws RenderError when no setting shows the value.
float SetParameterInUnits(PluginInstance& plugin, int index, const std::string& value);

// Applies one --param or --param-normalised.
void ApplyParameterRequest(PluginInstance& plugin, const ParameterRequest& request);
} // namespace brumalux::render

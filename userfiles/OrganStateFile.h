#pragma once

#include "userfiles/PlayerTextFile.h"

namespace brumalux
{

class QuellmarkFilterBase;

// A saved organ: the state chunk, as the standalone program's "Save current state..." and
// brumalux-render --save-state write it (the same bytes in every form). Message thread or
// a host's control thread.
namespace OrganStateFile
{
constexpr PlayerFileKind kind{"Brumalux state", juce::int64{1024} * 1024};

// Loads the whole organ (its programs, the selected one, its settings); a file that is
// no whole state changes nothing and says why.
juce::Result Load(const juce::File& file, QuellmarkFilterBase& organ);
} // namespace OrganStateFile

} // namespace brumalux

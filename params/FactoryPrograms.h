#pragma once

namespace brumalux
{

class QuellmarkFilterBase;

// Fills the bank with the ten factory programs and selects program 0, writing its values
// into every parameter. Runs once the 27 organ parameters are registered and before a
// host is attached, so every value makes the host-side normalisation round trip and is
// captured after it.
void BuildFactoryPrograms(QuellmarkFilterBase& filter);

int NumFactoryPrograms() noexcept;
// Empty for a number out of range.
const char* FactoryProgramName(int number) noexcept;
// Loads a factory program's name and values (as BuildFactoryPrograms stores them) into the
// current program, as a preset is loaded (QuellmarkFilterBase::LoadIntoCurrentProgram); a
// number out of range does nothing.
void LoadFactoryProgram(QuellmarkFilterBase& filter, int number);

} // namespace brumalux

#include "FactoryPrograms.h"

#include "OrganParameters.h"
#include "QuellmarkFilterBase.h"

#include <iterator>

namespace brumalux
{

namespace
{
struct FactoryProgram
{
    const char* name;
    float values[ParameterIndex::count];
};

// Values in the parameters' own units, in index order:
// Osc, Perc Lvl, ADSR Att, Dec, Sus, Rel, DrawBar0..8, Vibrato, Tone, Distortion, Unused,
// Spkr On, Spkr1Spd, Spkr2Spd, FSpkr1Spd, FSpkr2Spd, SpkrDpth, SpkrWdth, Clck Lvl.
// clang-format off
constexpr FactoryProgram factoryPrograms[] = {
    { "A little churchy",
      { 1, 0.3f, 5, 50, 0.9f, 50,     1, 0.63f, 0.8f, 0.8f, 0, 0.5f, 0, 0.2f, 0.1f,
        0.25f, 12000, 1.1f, 0.95f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0.2f } },
    { "Mellow Doubt",
      { 0, 0.5f, 5, 50, 0.9f, 50,     0.8f, 0.3f, 1, 0.5f, 0.1f, 0.3f, 0, 0, 0,
        0.25f, 8000, 1.1f, 0.95f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0.1f } },
    { "Rock Organ",
      { 1, 0.7f, 5, 50, 0.9f, 50,     0.9f, 0.9f, 1, 0, 0, 0, 0.4f, 0.4f, 0.25f,
        0.5f, 9000, 1.25f, 0.95f, 1, 1.5f, 1.4f, 4, 3.8f, 0.8f, 0.4f, 0.3f } },
    { "Organ pad",
      { 2, 0, 500, 250, 0.7f, 1000,   0.8f, 0.4f, 1, 0.7f, 0.1f, 0.5f, 0.1f, 0.2f, 0,
        0.25f, 8000, 1.1f, 0.95f, 1, 0.5f, 0.3f, 1, 1, 0.8f, 0.4f, 0 } },
    { "Fuzzy triangle",
      { 3, 0.5f, 5, 50, 1, 50,        0.65f, 0, 1, 0.28f, 0, 0.21f, 0, 0, 0,
        0, 6000, 1.4f, 0.95f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0.2f } },
    { "Smooth percussion",
      { 0, 0.5f, 5, 50, 0.9f, 250,    0.69f, 0.15f, 1, 0, 0, 0, 0, 0, 0,
        0.05f, 4500, 1, 1, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0.1f } },
    { "Distorto-matic",
      { 2, 0.3f, 5, 50, 0.9f, 150,    0.69f, 0.15f, 1, 0.4f, 0, 0.17f, 0, 0.14f, 0,
        0.25f, 6000, 5.45f, 0.45f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0.3f } },
    { "Abandoned theatre",
      { 4, 0.3f, 35, 70, 0.8f, 350,   0.69f, 0.15f, 1, 0.64f, 0.005f, 0.17f, 0, 0.14f, 0,
        1, 2000, 1.45f, 0.61f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.4f, 0.4f } },
    { "Cheese Organ",
      { 1, 0.5f, 5, 50, 0.9f, 50,     1, 0.8f, 0, 0.56f, 0, 0.28f, 0, 0, 0.17f,
        0.25f, 9000, 1.15f, 0.9f, 1, 1.5f, 1.2f, 3.2f, 3.8f, 0.8f, 0.2f, 0.2f } },
    { "Breathy",
      { 1, 0, 15, 50, 0.9f, 100,      0.46f, 1, 0, 0.3f, 0.18f, 0, 0.28f, 0.45f, 0,
        0.25f, 5500, 1.7f, 0.9f, 1, 1, 0.8f, 4, 3.8f, 0.8f, 0.2f, 0 } },
};
// clang-format on
} // namespace

void BuildFactoryPrograms(QuellmarkFilterBase& filter)
{
    auto& manager = filter.GetParameterManager();
    for (const auto& program : factoryPrograms)
    {
        for (int index = 0; index < ParameterIndex::count; ++index)
            manager.SetValueNotifyingHost(index, program.values[index]);
        filter.GetProgramStore().AddProgram(manager, program.name);
    }
    filter.SetCurrentProgram(0);
}

int NumFactoryPrograms() noexcept
{
    return static_cast<int>(std::size(factoryPrograms));
}

const char* FactoryProgramName(int number) noexcept
{
    return number >= 0 && number < NumFactoryPrograms() ? factoryPrograms[number].name : "";
}

void LoadFactoryProgram(QuellmarkFilterBase& filter, int number)
{
    if (number < 0 || number >= NumFactoryPrograms())
        return;
    const auto& program = factoryPrograms[number];
    const auto& manager = filter.GetParameterManager();
    std::vector<std::pair<int, float>> values;
    values.reserve(ParameterIndex::count);
    for (int index = 0; index < ParameterIndex::count; ++index)
        values.emplace_back(index,
                            manager.ValueFor(index, manager.NormalisedFor(index, program.values[index])));
    filter.LoadIntoCurrentProgram(program.name, values);
}

} // namespace brumalux

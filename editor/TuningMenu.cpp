#include "editor/TuningMenu.h"

#include "engine/Brumalux.h"

#include <cmath>

namespace brumalux
{

namespace
{
juce::String SemitonesText(int transpose)
{
    return (transpose > 0 ? "+" : "") + juce::String(transpose);
}

juce::String ReferenceText(float reference)
{
    return "A = " + juce::String(reference, std::round(reference) == reference ? 0 : 2) + " Hz";
}

juce::PopupMenu::Item TuningItem(const juce::String& text, const Tuning& tuning, bool ticked, Brumalux& organ,
                                 juce::Component& owner)
{
    juce::PopupMenu::Item item(text);
    item.setTicked(ticked);
    item.setAction(
        [guard = juce::Component::SafePointer<juce::Component>(&owner), &organ, tuning]
        {
            if (guard != nullptr)
                organ.SetTuning(tuning);
        });
    return item;
}
} // namespace

void AddTuningSection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner)
{
    const auto current = organ.GetTuning();
    menu.addSectionHeader("Tuning");

    juce::PopupMenu transposeMenu;
    for (int transpose = Tuning::minTranspose; transpose <= Tuning::maxTranspose; ++transpose)
        transposeMenu.addItem(TuningItem(SemitonesText(transpose) + " semitones",
                                         {transpose, current.reference}, transpose == current.transpose,
                                         organ, owner));
    menu.addSubMenu("Transpose: " + SemitonesText(current.transpose) + " semitones", transposeMenu);

    juce::PopupMenu referenceMenu;
    for (int hz = static_cast<int>(Tuning::minReference); hz <= static_cast<int>(Tuning::maxReference); ++hz)
        referenceMenu.addItem(TuningItem(ReferenceText(static_cast<float>(hz)),
                                         {current.transpose, static_cast<float>(hz)},
                                         static_cast<float>(hz) == current.reference, organ, owner));
    menu.addSubMenu("Reference: " + ReferenceText(current.reference), referenceMenu);

    const Tuning concertPitch{12, current.reference};
    menu.addItem(
        TuningItem("Concert pitch (transpose +12)", concertPitch, current == concertPitch, organ, owner));
    auto reset = TuningItem("Default tuning", Tuning{}, false, organ, owner);
    reset.setEnabled(!current.IsDefault());
    menu.addItem(reset);
}

} // namespace brumalux

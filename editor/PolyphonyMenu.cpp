#include "editor/PolyphonyMenu.h"

#include "engine/Brumalux.h"

#include <set>

namespace brumalux
{

namespace
{
// The limits offered: from one for the smallest computers up to every voice, plus the organ's own
// should a state have brought another.
std::set<int> LimitsOffered(int current)
{
    std::set<int> limits{Polyphony::minVoices, 12, 16, 24, 32, 48, 64, 96, 128, 192, Polyphony::maxVoices};
    limits.insert(current);
    return limits;
}

juce::String VoicesText(int voices)
{
    return juce::String(voices) + " voices";
}
} // namespace

void AddPolyphonySection(juce::PopupMenu& menu, Brumalux& organ, juce::Component& owner)
{
    const int current = organ.GetPolyphony();
    juce::PopupMenu limitMenu;
    for (const int voices : LimitsOffered(current))
    {
        juce::PopupMenu::Item item(VoicesText(voices) +
                                   (voices == Polyphony::defaultVoices ? " (default)" : ""));
        item.setTicked(voices == current);
        item.setAction(
            [guard = juce::Component::SafePointer<juce::Component>(&owner), &organ, voices]
            {
                if (guard != nullptr)
                    organ.SetPolyphony(voices);
            });
        limitMenu.addItem(item);
    }
    menu.addSubMenu("Polyphony: " + VoicesText(current), limitMenu);
}

} // namespace brumalux

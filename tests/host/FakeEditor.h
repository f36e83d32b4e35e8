#pragma once

#include "FakeEditorLook.h"
#include "framework/AudioFilterEditor.h"

namespace brumalux
{

// An editor of the organ's size that paints itself in one colour, so a test can find it
// on screen and check that it was drawn, and that the filter touches while notes start,
// as the organ marks the keys on its keyboard.
class FakeEditor : public AudioFilterEditor
{
public:
    static constexpr int width = FakeEditorLook::width;
    static constexpr int height = FakeEditorLook::height;
    static constexpr juce::uint32 fillColour = FakeEditorLook::fillColour;

    explicit FakeEditor(AudioFilterBase& ownerFilter) : AudioFilterEditor(ownerFilter)
    {
        setOpaque(true);
        setSize(width, height);
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colour(fillColour)); }

    // Called by the filter from the audio thread, under its callback lock, for every note
    // it starts: an editor deleted without that lock is caught using freed memory here.
    void NoteSeen() { ++notesSeen; }

private:
    int notesSeen = 0;
};

} // namespace brumalux

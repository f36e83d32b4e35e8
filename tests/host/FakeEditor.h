#pragma once

#include "framework/AudioFilterEditor.h"

// An editor of the organ's size that paints itself in one colour, so a test can find it
// on screen and check that it was drawn.
class FakeEditor : public AudioFilterEditor
{
public:
    static constexpr int width = 440;
    static constexpr int height = 485;
    static constexpr juce::uint32 fillColour = 0xff2a7f3c;

    explicit FakeEditor(AudioFilterBase& owner) : AudioFilterEditor(owner)
    {
        setOpaque(true);
        setSize(width, height);
    }

    void paint(juce::Graphics& g) override { g.fillAll(juce::Colour(fillColour)); }
};

#pragma once

#include "framework/EditorLink.h"
#include "tests/support/MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <string>
#include <vector>

namespace brumalux
{

// A note target that records the keyboard messages it receives, in order.
class NoteRecorder : public juce::MessageListener
{
public:
    struct Note
    {
        int status;
        int noteNumber;
        const KeyboardDisplay* sender;
    };

    void handleMessage(const juce::Message& message) override
    {
        if (auto* note = dynamic_cast<const KeyboardNoteMessage*>(&message))
            received.push_back({note->status, note->noteNumber, note->sender});
    }

    std::vector<Note> received;
};

// A mouse event at x, y in the component's coordinates, as JUCE delivers them.
inline juce::MouseEvent MouseAt(juce::Component& component, float x, float y)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent(juce::Desktop::getInstance().getMainMouseSource(), {x, y}, juce::ModifierKeys(),
                            juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &component,
                            &component, now, {x, y}, now, 1, false);
}

// Colours as "RRGGBB" text, so that a failing comparison shows both colours.
inline std::string Rgb(juce::Colour colour)
{
    return colour.toDisplayString(false).toStdString();
}

inline std::string RgbAt(const juce::Image& image, int x, int y)
{
    return Rgb(image.getPixelAt(x, y));
}

} // namespace brumalux

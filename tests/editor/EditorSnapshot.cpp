// Writes a picture of the connected editor, with a chord held, to the PNG file named on
// the command line, at the zoom that may follow it in percent (100 when none): the
// README's screenshots. Runs without an X display.
#include "EditorTestSupport.h"

#include <cstdio>

namespace brumalux
{

} // namespace brumalux

int main(int argc, char* argv[])
{
    using namespace brumalux;
    if (argc != 2 && argc != 3)
    {
        std::fprintf(stderr, "usage: %s OUTPUT.png [ZOOM-PERCENT]\n", argv[0]);
        return 2;
    }
    OrganWithEditor organ;
    auto& editor = organ.OpenEditor();
    if (argc == 3)
        editor.SetUserZoom(juce::String(argv[2]).getIntValue());
    organ.filter.PrepareToPlay(44100.0, 256);
    juce::MidiBuffer chord;
    for (const int note : {48, 60, 64, 67})
        chord.addEvent(juce::MidiMessage::noteOn(1, note, juce::uint8(100)), 0);
    organ.RenderBlock(chord);
    PumpMessages();

    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    file.deleteFile();
    juce::FileOutputStream stream(file);
    juce::PNGImageFormat png;
    if (!stream.openedOk() ||
        !png.writeImageToStream(editor.createComponentSnapshot(editor.getLocalBounds()), stream))
    {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

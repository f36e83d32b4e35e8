#pragma once

namespace brumalux
{

// The names LV2 hosts file the plug-in, its editor, its presets and its state under. Projects
// and presets saved with the form's first build (JUCE's LV2 client) use them too, so they never
// change.
namespace Lv2Identity
{
constexpr const char* pluginUri = "https://quellmark.music/plugins/brumalux";
constexpr const char* uiUri = "https://quellmark.music/plugins/brumalux:UI";
// Followed by the program's number counted from 1.
constexpr const char* presetUriPrefix = "https://quellmark.music/plugins/brumalux:preset";
// The state bytes, an atom:String in JUCE's own base64 (juce::MemoryBlock::toBase64Encoding).
constexpr const char* stateStringUri = "https://quellmark.music/plugins/brumalux:StateString";
// A factory preset's program number, an atom:Int.
constexpr const char* programUri = "https://quellmark.music/plugins/brumalux:Program";
// Port groups are named from here: ":drawbars" and so on.
constexpr const char* groupUriPrefix = "https://quellmark.music/plugins/brumalux:";

constexpr const char* binaryFile = "Brumalux.so";

// Even: a release (an odd minor version marks a development version). Raised when the ports or
// the presets change, never taken from the product's version. The first build's was 0.
constexpr int minorVersion = 2;
constexpr int microVersion = 0;
} // namespace Lv2Identity

} // namespace brumalux

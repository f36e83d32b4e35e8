#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brumalux::render
{
// One --param or --param-normalised: which parameter (a name or an index) and the text after '='.
struct ParameterRequest
{
    std::string parameter;
    std::string value;
    bool normalised = false;
};

struct RenderOptions
{
    std::string midiFile;   // empty with --list or --save-state alone
    std::string outputFile; // empty: the MIDI file's name with .wav, in the current folder
    std::string pluginFile; // empty: our own plug-in where it is built or installed
    int sampleRate = 44100;
    int blockSize = 512;
    int bitsPerSample = 24; // 32 means 32-bit float
    double tailSeconds = 2.0;
    std::optional<int> program;
    std::vector<ParameterRequest> parameters; // applied in the order given
    std::string stateFile;
    std::string saveStateFile;
    bool list = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Throws UsageError for anything it cannot take as given.
RenderOptions ParseArguments(const std::vector<std::string>& arguments);

std::string HelpText();

// Where the WAV goes when -o is not given: "song.mid" becomes "song.wav" in the current folder.
std::string DefaultOutputFor(const std::string& midiFile);
} // namespace brumalux::render

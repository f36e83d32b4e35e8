#include "tools/RenderOptions.h"

#include "tools/RenderError.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace brumalux::render
{
namespace
{
int ParseInteger(const std::string& option, const std::string& text, long minimum, long maximum)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < minimum || value > maximum)
        throw UsageError(option + " wants a whole number from " + std::to_string(minimum) + " to " +
                         std::to_string(maximum) + ", not \"" + text + "\"");
    return static_cast<int>(value);
}

double ParseSeconds(const std::string& option, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    // An hour of silence is surely a typing mistake, and it keeps the sample count far from overflow.
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0.0 || value > 3600.0)
        throw UsageError(option + " wants seconds from 0 to 3600, not \"" + text + "\"");
    return value;
}

ParameterRequest ParseParameter(const std::string& option, const std::string& text, bool normalised)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw UsageError(option + " wants NAME=VALUE or INDEX=VALUE, not \"" + text + "\"");
    return {text.substr(0, equals), text.substr(equals + 1), normalised};
}

// Walks the argument list, handing out option values given as "--opt value" or "--opt=value".
class ArgumentReader
{
public:
    explicit ArgumentReader(const std::vector<std::string>& argumentsToRead) : arguments(argumentsToRead) {}

    bool AtEnd() const { return position >= arguments.size(); }

    // Splits "--opt=value" so that the value is handed out by the next Value().
    std::string NextOption()
    {
        std::string argument = arguments[position++];
        inlineValue.reset();
        const auto equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos)
        {
            inlineValue = argument.substr(equals + 1);
            argument.resize(equals);
        }
        return argument;
    }

    std::string Value(const std::string& option)
    {
        if (inlineValue)
            return *std::exchange(inlineValue, std::nullopt);
        if (AtEnd())
            throw UsageError(option + " needs a value");
        return arguments[position++];
    }

    void ExpectNoValue(const std::string& option) const
    {
        if (inlineValue)
            throw UsageError(option + " takes no value");
    }

private:
    const std::vector<std::string>& arguments;
    std::size_t position = 0;
    std::optional<std::string> inlineValue;
};

void TakeMidiFile(RenderOptions& options, const std::string& argument)
{
    if (!options.midiFile.empty())
        throw UsageError("more than one MIDI file given: \"" + options.midiFile + "\" and \"" + argument +
                         "\"");
    options.midiFile = argument;
}

void TakeOption(RenderOptions& options, ArgumentReader& reader, const std::string& option)
{
    const auto flag = [&](bool& target)
    {
        reader.ExpectNoValue(option);
        target = true;
    };
    if (option == "-h" || option == "--help")
        flag(options.help);
    else if (option == "--version")
        flag(options.version);
    else if (option == "-q" || option == "--quiet")
        flag(options.quiet);
    else if (option == "--list")
        flag(options.list);
    else if (option == "-o" || option == "--output")
        options.outputFile = reader.Value(option);
    else if (option == "--plugin")
        options.pluginFile = reader.Value(option);
    else if (option == "--rate")
        options.sampleRate = ParseInteger(option, reader.Value(option), 8000, 384000);
    else if (option == "--block")
        options.blockSize = ParseInteger(option, reader.Value(option), 1, 65536);
    else if (option == "--bits")
    {
        options.bitsPerSample = ParseInteger(option, reader.Value(option), 0, 1 << 30);
        if (options.bitsPerSample != 16 && options.bitsPerSample != 24 && options.bitsPerSample != 32)
            throw UsageError("--bits wants 16, 24 or 32 (32-bit float)");
    }
    else if (option == "--tail")
        options.tailSeconds = ParseSeconds(option, reader.Value(option));
    else if (option == "--program")
        options.program = ParseInteger(option, reader.Value(option), 0, 1 << 30);
    else if (option == "--param")
        options.parameters.push_back(ParseParameter(option, reader.Value(option), false));
    else if (option == "--param-normalised")
        options.parameters.push_back(ParseParameter(option, reader.Value(option), true));
    else if (option == "--state")
        options.stateFile = reader.Value(option);
    else if (option == "--save-state")
        options.saveStateFile = reader.Value(option);
    else
        throw UsageError("unknown option " + option);
}
} // namespace

RenderOptions ParseArguments(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    ArgumentReader reader(arguments);
    bool optionsEnded = false;
    while (!reader.AtEnd())
    {
        const std::string argument = reader.NextOption();
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-')
            TakeMidiFile(options, argument);
        else if (argument == "--")
            optionsEnded = true;
        else
            TakeOption(options, reader, argument);
    }
    if (!options.help && !options.version && options.midiFile.empty() && !options.list &&
        options.saveStateFile.empty())
        throw UsageError("no MIDI file given");
    return options;
}

std::string DefaultOutputFor(const std::string& midiFile)
{
    return std::filesystem::path(midiFile).filename().replace_extension(".wav").string();
}

std::string HelpText()
{
    return R"(Usage: brumalux-render [OPTIONS] MIDI-FILE
       brumalux-render [OPTIONS] --list
Plays a standard MIDI file (format 0 or 1) through a VST 2 instrument and writes the sound
to a WAV file. Without --plugin it plays Brumalux: the one next to this tool's build, else
brumalux.so in $VST_PATH, ~/.vst, /usr/local/lib/vst or /usr/lib/vst.

Output:
  -o, --output FILE     the WAV file (default: the MIDI file's name with .wav, in the
                        current folder). It is written to a temporary file next to it and
                        only renamed into place once complete.
      --rate HZ         sample rate, 8000 to 384000 (default 44100)
      --block N         samples per processing block, 1 to 65536 (default 512)
      --bits 16|24|32   sample format; 32 is 32-bit float (default 24)
      --tail SECONDS    sound kept after the last MIDI event, so that releases and
                        reverberation ring out (default 2)

Plug-in:
      --plugin FILE     the VST 2 instrument (.so) to play. Any instrument works: one
                        with the is-synth flag set or that reports the synth category.
      --program N       select program N (0 = the first) before playing
      --param NAME=VALUE
                        set a parameter to VALUE in its own units, as --list shows it
                        (e.g. --param Tone=5000, --param "ADSR Att=20"). NAME is the
                        plug-in's parameter name in any letter case, full or cut to the
                        8 characters VST 2 hands over (Distortion or Distorti); an index
                        works too (--param 16=5000). The tool finds the setting whose
                        displayed value is VALUE by searching the parameter's range, so
                        VALUE must lie inside it; a parameter that displays words
                        (On/Off) takes the word. Repeatable, applied in order.
      --param-normalised NAME=VALUE
                        set a parameter to the host's normalised value 0..1 directly
      --state FILE      load a state saved with --save-state before --program and --param
                        are applied. The state holds the plug-in's programs; Brumalux's
                        also holds the selected program, so it plays as saved. Other
                        plug-ins need not remember the program: give the same --program
                        again for them.
      --save-state FILE after --state, --program and --param, save the plug-in's state
                        (the chunk it hands a host to store in a project)
      --list            print the plug-in's identity, parameters with their current
                        values and programs, after --state, --program and --param; a
                        MIDI file is then optional

Other:
  -q, --quiet           print only warnings and errors
  -h, --help            this text
      --version         print the version of Brumalux this tool belongs to

Progress is shown on stderr when it is a terminal, once a render has taken about a
second. At the end the tool reports the duration, peak and RMS level, and warns when
16 or 24-bit output clips.
Exit status: 0 done, 1 failed (nothing written), 2 bad command line, 130 interrupted.
)";
}
} // namespace brumalux::render

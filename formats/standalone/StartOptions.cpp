#include "StartOptions.h"

#include "engine/Polyphony.h"
#include "params/FactoryPrograms.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <sstream>
#include <string_view>

namespace brumalux
{

namespace
{
// The whole number `text` says, from `lowest` to `highest`; else a UsageError that says what `option`
// wants.
int NumberFrom(const std::string& text, int lowest, int highest, const std::string& option,
               const std::string& what)
{
    int number = lowest - 1;
    const auto* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end || number < lowest || number > highest)
        throw UsageError(option + " wants " + what + " from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ", not \"" + text + "\"");
    return number;
}

// One option: its names, the word for its value (none for a switch), what --help says of
// it (lines split with '\n'), and what it does to the options.
struct OptionRow
{
    const char* shortName;
    const char* name;
    const char* valueName;
    const char* help;
    void (*take)(StartOptions& options, const std::string& value);
};

// clang-format off
const OptionRow optionRows[] = {
    {nullptr, "--no-gui", nullptr,
     "play without a window until Ctrl-C or SIGTERM: sound\n"
     "through JACK or ALSA, MIDI from the ALSA and JACK inputs,\n"
     "as the saved settings say (JACK when its server runs and\n"
     "they name no device); saves nothing",
     [](StartOptions& options, const std::string&) { options.noGui = true; }},
    {nullptr, "--program", "N",
     "start with program N (0 to 9), not the one saved",
     [](StartOptions& options, const std::string& value)
     { options.program = NumberFrom(value, 0, NumFactoryPrograms() - 1, "--program", "a program number"); }},
    {nullptr, "--polyphony", "N",
     "let at most N voices (8 to 256) sound at once, not the\n"
     "saved limit: fewer keep a small processor in time",
     [](StartOptions& options, const std::string& value)
     { options.polyphony = NumberFrom(value, Polyphony::minVoices, Polyphony::maxVoices, "--polyphony",
                                      "a number of voices"); }},
    {nullptr, "--state", "FILE",
     "start with the organ saved in FILE (by \"Save current\n"
     "state...\" or brumalux-render --save-state), not the one\n"
     "saved",
     [](StartOptions& options, const std::string& value) { options.stateFile = value; }},
    {"-h", "--help", nullptr,
     "print this text and exit",
     [](StartOptions& options, const std::string&) { options.help = true; }},
    {nullptr, "--version", nullptr,
     "print the version and exit",
     [](StartOptions& options, const std::string&) { options.version = true; }},
};
// clang-format on

const OptionRow& FindRow(std::string_view name)
{
    const auto* row = std::find_if(std::begin(optionRows), std::end(optionRows),
                                   [name](const OptionRow& candidate) {
                                       return name == candidate.name ||
                                              (candidate.shortName != nullptr && name == candidate.shortName);
                                   });
    if (row == std::end(optionRows))
        throw UsageError("unknown option \"" + std::string(name) + "\"");
    return *row;
}

// "  -h, --help" or "      --state FILE", padded to the column where the help begins.
std::string Synopsis(const OptionRow& row)
{
    constexpr std::size_t helpColumn = 22;
    std::string text = row.shortName != nullptr ? std::string("  ") + row.shortName + ", " : "      ";
    text += row.name;
    if (row.valueName != nullptr)
        text += std::string(" ") + row.valueName;
    text.resize(std::max(helpColumn, text.size() + 2), ' ');
    return text;
}
} // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& arguments)
{
    StartOptions options;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument)
    {
        const auto equals = argument->find('=');
        const bool inlineValue = argument->rfind("--", 0) == 0 && equals != std::string::npos;
        const auto& row =
            FindRow(std::string_view(*argument).substr(0, inlineValue ? equals : std::string::npos));
        std::string value;
        if (row.valueName == nullptr && inlineValue)
            throw UsageError(std::string(row.name) + " takes no value");
        if (row.valueName != nullptr && inlineValue)
            value = argument->substr(equals + 1);
        else if (row.valueName != nullptr)
        {
            if (std::next(argument) == arguments.end())
                throw UsageError(std::string(row.name) + " needs a value (" + row.valueName + ")");
            value = *++argument;
        }
        row.take(options, value);
    }
    return options;
}

std::string StartHelpText()
{
    std::ostringstream text;
    text << "Usage: brumalux [OPTIONS]\n"
            "Plays the Brumalux drawbar organ from MIDI keyboards and its on-screen\n"
            "keyboard, in a window, or without one (--no-gui) where there is no screen.\n"
            "To render a MIDI file to a WAV file, use brumalux-render.\n\nOptions:\n";
    for (const auto& row : optionRows)
    {
        const auto synopsis = Synopsis(row);
        std::istringstream lines(row.help);
        std::string line;
        for (bool first = true; std::getline(lines, line); first = false)
            text << (first ? synopsis : std::string(synopsis.size(), ' ')) << line << "\n";
    }
    text << "\nThe audio and MIDI settings and the organ are kept in\n"
            "~/.config/Brumalux.settings.\n"
            "Exit status: 0 done, 1 failed (no display without --no-gui, an unreadable\n"
            "--state file, no audio device with --no-gui), 2 bad command line.\n";
    return text.str();
}

std::string StartUsageText(const std::string& problem)
{
    std::string text = "brumalux: " + problem + "\nUsage: brumalux";
    for (const auto& row : optionRows)
        text += std::string(" [") + row.name +
                (row.valueName != nullptr ? std::string(" ") + row.valueName : "") + "]";
    return text + "\nTry 'brumalux --help' for more.\n";
}

} // namespace brumalux

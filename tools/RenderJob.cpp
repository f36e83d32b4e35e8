#include "tools/RenderJob.h"

#include "tools/BlockRenderer.h"
#include "tools/MidiSchedule.h"
#include "tools/OutputPath.h"
#include "tools/ParameterSetting.h"
#include "tools/PluginLocation.h"
#include "tools/PluginReport.h"
#include "tools/RenderError.h"
#include "tools/RenderOptions.h"
#include "tools/StateFile.h"
#include "tools/WavOutput.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <sstream>

namespace brumalux::render
{
namespace
{
constexpr const char* kToolName = "brumalux-render";

void CheckPlayable(const PluginInstance& plugin, const std::string& path)
{
    if (!plugin.IsInstrument())
        throw RenderError(path + " is not an instrument: the is-synth flag is clear and its category is " +
                          std::to_string(plugin.Category()) + ", not 2 (synth)");
    if (plugin.Effect()->numOutputs == 0)
        throw RenderError(path + " has no audio outputs");
}

void CheckProgram(const PluginInstance& plugin, int program)
{
    if (plugin.Effect()->numPrograms == 0)
        throw RenderError("the plug-in has no programs to select");
    if (program >= plugin.Effect()->numPrograms)
        throw RenderError("program " + std::to_string(program) + " is out of range: the plug-in has " +
                          std::to_string(plugin.Effect()->numPrograms) + " programs, 0 to " +
                          std::to_string(plugin.Effect()->numPrograms - 1));
}

// --state, then --program, then every --param in order: a state is the base that the others change.
void ApplySettings(PluginInstance& plugin, const RenderOptions& options)
{
    if (!options.stateFile.empty())
    {
        if (!plugin.KeepsStateChunks())
            throw RenderError("the plug-in keeps no state chunk (its programs-are-chunks flag is clear)");
        plugin.LoadState(ReadStateFile(options.stateFile));
    }
    if (options.program)
    {
        CheckProgram(plugin, *options.program);
        plugin.SelectProgram(*options.program);
    }
    for (const auto& request : options.parameters)
        ApplyParameterRequest(plugin, request);
}

std::vector<uint8_t> TakeState(PluginInstance& plugin)
{
    if (!plugin.KeepsStateChunks())
        throw RenderError("the plug-in keeps no state chunk to save (its programs-are-chunks flag is clear)");
    auto state = plugin.State();
    if (state.empty())
        throw RenderError("the plug-in handed over no state to save");
    return state;
}

std::string Decibels(double level)
{
    const double decibels = OutputLevels::Decibels(level);
    if (std::isinf(decibels))
        return "-inf dBFS";
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << std::showpos << decibels << " dBFS";
    return text.str();
}

// Whole percent steps, drawn over itself on one terminal line once the render has taken
// about a second: a shorter one is done before the line could be read.
class ProgressLine
{
public:
    using Clock = decltype(RenderEnvironment::now);

    ProgressLine(std::ostream& errorStream, bool isShown, int64_t numSamples, double rate, Clock clock)
        : err(errorStream),
          shown(isShown),
          totalSamples(numSamples),
          sampleRate(rate),
          now(clock),
          start(clock())
    {
    }
    ~ProgressLine()
    {
        if (shown && drawnPercent >= 0)
            err << "\r" << std::string(60, ' ') << "\r" << std::flush;
    }

    void Update(int64_t samplesDone)
    {
        const int percent = static_cast<int>(100 * samplesDone / totalSamples);
        if (!shown || percent == drawnPercent || (drawnPercent < 0 && now() - start < delay))
            return;
        drawnPercent = percent;
        err << "\rRendering " << std::setw(3) << percent << "%  " << std::fixed << std::setprecision(1)
            << samplesDone / sampleRate << " s of " << totalSamples / sampleRate << " s" << std::flush;
    }

private:
    static constexpr std::chrono::seconds delay{1};

    std::ostream& err;
    bool shown;
    int64_t totalSamples;
    double sampleRate;
    Clock now;
    std::chrono::steady_clock::time_point start;
    int drawnPercent = -1;
};

void Render(PluginInstance& plugin, const MidiSchedule& schedule, const RenderOptions& options,
            const std::string& outputFile, const RenderEnvironment& environment)
{
    const int64_t totalSamples = RenderLength(schedule, options.sampleRate, options.tailSeconds);
    WavOutput output(outputFile, options.sampleRate, plugin.Effect()->numOutputs, options.bitsPerSample);
    {
        ProgressLine progress(environment.err, environment.errIsTerminal && !options.quiet, totalSamples,
                              options.sampleRate, environment.now);
        RenderBlocks(plugin, schedule, totalSamples, options.blockSize, output,
                     [&](int64_t samplesDone)
                     {
                         if (environment.stopRequested != nullptr && environment.stopRequested->load())
                             throw Interrupted();
                         progress.Update(samplesDone);
                     });
    }
    output.Commit();

    const auto& levels = output.Levels();
    if (!options.quiet)
        environment.out << "Wrote " << outputFile << ": " << std::fixed << std::setprecision(2)
                        << static_cast<double>(totalSamples) / options.sampleRate << " s, "
                        << plugin.Effect()->numOutputs << " channels, " << options.sampleRate << " Hz, "
                        << options.bitsPerSample << (options.bitsPerSample == 32 ? "-bit float" : "-bit")
                        << "; peak " << Decibels(levels.Peak()) << ", RMS " << Decibels(levels.Rms()) << "\n";
    if (levels.Peak() >= 1.0 && options.bitsPerSample != 32)
        environment.err << kToolName << ": warning: the output clips (peak " << Decibels(levels.Peak())
                        << "); samples beyond full scale were cut. Lower the level or use --bits 32\n";
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

int Run(const RenderOptions& options, const RenderEnvironment& environment)
{
    const std::string pluginPath = options.pluginFile.empty() ? FindDefaultPlugin() : options.pluginFile;
    std::optional<MidiSchedule> schedule;
    std::string outputFile;
    if (!options.midiFile.empty())
    {
        schedule = MidiSchedule::FromFile(options.midiFile, options.sampleRate);
        outputFile = options.outputFile.empty() ? DefaultOutputFor(options.midiFile) : options.outputFile;
        if (SameFile(outputFile, options.midiFile))
            throw RenderError("the output " + outputFile + " would overwrite the MIDI file");
        CheckOutputPath(outputFile, "the WAV file");
    }
    if (!options.saveStateFile.empty())
        CheckOutputPath(options.saveStateFile, "the state file");

    const brumalux::vst2host::PluginLibrary library(pluginPath);
    if (!library.IsLoaded())
        throw RenderError(library.Error());
    PluginInstance plugin(library.Entry());
    if (!plugin.HasInstance())
        throw RenderError(library.Path() + " " + plugin.Problem());
    plugin.Callbacks().KeepRecord(false);
    plugin.Open();
    plugin.SetProcessing(options.sampleRate, options.blockSize);
    CheckPlayable(plugin, library.Path());
    ApplySettings(plugin, options);

    std::vector<uint8_t> stateToSave;
    if (!options.saveStateFile.empty())
        stateToSave = TakeState(plugin);
    if (options.list)
        PrintPluginReport(plugin, library.Path(), environment.out);
    if (schedule)
        Render(plugin, *schedule, options, outputFile, environment);
    if (!options.saveStateFile.empty())
    {
        WriteStateFile(options.saveStateFile, stateToSave);
        if (!options.quiet)
            environment.out << "Saved the plug-in's state to " << options.saveStateFile << "\n";
    }
    return kExitDone;
}
} // namespace

int RunRenderCommand(const std::vector<std::string>& arguments, const RenderEnvironment& environment)
{
    try
    {
        const RenderOptions options = ParseArguments(arguments);
        if (options.help)
        {
            environment.out << HelpText();
            return kExitDone;
        }
        if (options.version)
        {
            environment.out << kToolName << " " << BRUMALUX_VERSION << "\n";
            return kExitDone;
        }
        return Run(options, environment);
    }
    catch (const UsageError& error)
    {
        environment.err << kToolName << ": " << error.what() << "\nTry '" << kToolName << " --help'.\n";
        return kExitUsage;
    }
    catch (const Interrupted& error)
    {
        environment.err << kToolName << ": " << error.what() << "; nothing was written\n";
        return kExitInterrupted;
    }
    catch (const RenderError& error)
    {
        environment.err << kToolName << ": " << error.what() << "\n";
        return kExitFailed;
    }
}
} // namespace brumalux::render

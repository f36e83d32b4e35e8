#include "tests/tools/RenderTestSupport.h"

#include "tools/RenderJob.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace brumalux
{

namespace render_test
{
ScratchFolder::ScratchFolder()
    : folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                 .getChildFile("brumalux-render-test-" + juce::Uuid().toString()))
{
    folder.createDirectory();
}

ScratchFolder::~ScratchFolder()
{
    folder.deleteRecursively();
}

std::string ScratchFolder::Path(const std::string& name) const
{
    return folder.getChildFile(name).getFullPathName().toStdString();
}

std::vector<std::string> ScratchFolder::Files() const
{
    std::vector<std::string> names;
    for (const auto& file : folder.findChildFiles(juce::File::findFiles, false))
        names.push_back(file.getFileName().toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

ToolRun RunInProcess(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    ToolRun run;
    run.exitCode = render::RunRenderCommand(arguments, {out, err});
    run.out = out.str();
    run.err = err.str();
    return run;
}

namespace
{
std::string ContentsOf(const std::string& path)
{
    std::ifstream stream(path);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}
} // namespace

ToolRun RunExecutable(const std::vector<std::string>& arguments)
{
    ScratchFolder captured;
    const std::string outPath = captured.Path("out"), errPath = captured.Path("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> all{TEST_PROGRAM_LAUNCHER RENDER_TOOL};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    ToolRun run;
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0)
    {
        int status = 0;
        waitpid(child, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ContentsOf(outPath);
    run.err = ContentsOf(errPath);
    return run;
}

namespace
{
void WriteFile(const std::string& path, const juce::MidiFile& midi, int format)
{
    juce::File file(path);
    file.deleteFile();
    juce::FileOutputStream stream(file);
    ASSERT_TRUE(midi.writeTo(stream, format));
}

juce::MidiMessageSequence Sequence(const std::vector<TimedEvent>& events)
{
    juce::MidiMessageSequence sequence;
    for (const auto& event : events)
        sequence.addEvent(event.message, event.tick);
    return sequence;
}
} // namespace

void WriteMidiWithTempoChange(const std::string& path, int format, const std::vector<TimedEvent>& events)
{
    juce::MidiMessageSequence tempo;
    tempo.addEvent(juce::MidiMessage::tempoMetaEvent(500000), 0);
    tempo.addEvent(juce::MidiMessage::tempoMetaEvent(1000000), 480);
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote(480);
    if (format == 0)
    {
        auto all = Sequence(events);
        all.addSequence(tempo, 0);
        all.sort();
        midi.addTrack(all);
    }
    else
    {
        midi.addTrack(tempo);
        midi.addTrack(Sequence(events));
    }
    WriteFile(path, midi, format);
}

void WriteMidi(const std::string& path, const std::vector<TimedEvent>& events)
{
    juce::MidiFile midi;
    midi.setTicksPerQuarterNote(480);
    midi.addTrack(Sequence(events));
    WriteFile(path, midi, 1);
}

Wav ReadWav(const std::string& path)
{
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader(
        format.createReaderFor(new juce::FileInputStream(juce::File(path)), true));
    Wav wav;
    if (reader == nullptr)
    {
        ADD_FAILURE() << "cannot read " << path;
        return wav;
    }
    wav.sampleRate = reader->sampleRate;
    wav.bitsPerSample = static_cast<int>(reader->bitsPerSample);
    wav.samples.setSize(static_cast<int>(reader->numChannels), static_cast<int>(reader->lengthInSamples));
    reader->read(&wav.samples, 0, static_cast<int>(reader->lengthInSamples), 0, true, true);
    return wav;
}

int FirstSoundingSample(const Wav& wav, float threshold)
{
    const float* channel = wav.samples.getReadPointer(0);
    for (int i = 0; i < wav.samples.getNumSamples(); ++i)
        if (std::abs(channel[i]) >= threshold)
            return i;
    return -1;
}

float PeakOf(const Wav& wav, int channel)
{
    return wav.samples.getMagnitude(channel, 0, wav.samples.getNumSamples());
}

double FrequencyOf(const Wav& wav, int startSample, int numSamples)
{
    // Upward zero crossings placed between samples by linear interpolation: periods between the
    // first and the last, over the time between them.
    const float* channel = wav.samples.getReadPointer(0);
    double first = -1.0, last = -1.0;
    int periods = -1;
    for (int i = startSample + 1; i < startSample + numSamples; ++i)
        if (channel[i - 1] < 0.0f && channel[i] >= 0.0f)
        {
            last = (i - 1) + channel[i - 1] / (channel[i - 1] - channel[i]);
            if (periods++ < 0)
                first = last;
        }
    return periods > 0 ? periods * wav.sampleRate / (last - first) : 0.0;
}
} // namespace render_test

} // namespace brumalux

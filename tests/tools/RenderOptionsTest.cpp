#include "tools/RenderOptions.h"
#include "tools/RenderError.h"

#include <gtest/gtest.h>

namespace brumalux
{

using render::ParseArguments;
using render::UsageError;

TEST(RenderOptions, DefaultsSuitACdQualityRenderWithATail)
{
    const auto options = ParseArguments({"song.mid"});
    EXPECT_EQ(options.midiFile, "song.mid");
    EXPECT_EQ(options.sampleRate, 44100);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.bitsPerSample, 24);
    EXPECT_DOUBLE_EQ(options.tailSeconds, 2.0);
    EXPECT_FALSE(options.program.has_value());
    EXPECT_TRUE(options.outputFile.empty());
    EXPECT_TRUE(options.pluginFile.empty());
}

TEST(RenderOptions, TakesValuesSeparatedOrAfterAnEqualsSign)
{
    const auto options =
        ParseArguments({"--rate=48000", "--block", "64", "-o", "out.wav", "--bits=32", "--tail", "0.5",
                        "--program", "3", "--plugin=/x/y.so", "-q", "in.mid"});
    EXPECT_EQ(options.sampleRate, 48000);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.outputFile, "out.wav");
    EXPECT_EQ(options.bitsPerSample, 32);
    EXPECT_DOUBLE_EQ(options.tailSeconds, 0.5);
    EXPECT_EQ(options.program, 3);
    EXPECT_EQ(options.pluginFile, "/x/y.so");
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.midiFile, "in.mid");
}

TEST(RenderOptions, KeepsParametersInOrderWithValuesThatHoldEqualsSigns)
{
    const auto options =
        ParseArguments({"--param", "ADSR Att=20", "--param-normalised=16=0.5", "--param", "x=a=b", "in.mid"});
    ASSERT_EQ(options.parameters.size(), 3u);
    EXPECT_EQ(options.parameters[0].parameter, "ADSR Att");
    EXPECT_EQ(options.parameters[0].value, "20");
    EXPECT_FALSE(options.parameters[0].normalised);
    EXPECT_EQ(options.parameters[1].parameter, "16");
    EXPECT_EQ(options.parameters[1].value, "0.5");
    EXPECT_TRUE(options.parameters[1].normalised);
    EXPECT_EQ(options.parameters[2].value, "a=b");
}

TEST(RenderOptions, NeedsAMidiFileUnlessOnlyListingSavingStateOrAsking)
{
    EXPECT_THROW(ParseArguments({}), UsageError);
    EXPECT_THROW(ParseArguments({"--rate", "48000"}), UsageError);
    EXPECT_NO_THROW(ParseArguments({"--list"}));
    EXPECT_NO_THROW(ParseArguments({"--save-state", "s.bin"}));
    EXPECT_NO_THROW(ParseArguments({"--help"}));
    EXPECT_NO_THROW(ParseArguments({"--version"}));
    EXPECT_EQ(ParseArguments({"--", "-odd.mid"}).midiFile, "-odd.mid");
}

TEST(RenderOptions, RejectsWhatItCannotTakeAsGiven)
{
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"a.mid", "b.mid"},
             {"--bits", "20", "a.mid"},
             {"--bits", "8", "a.mid"},
             {"--rate", "44.1k", "a.mid"},
             {"--rate", "0", "a.mid"},
             {"--block", "0", "a.mid"},
             {"--tail", "-1", "a.mid"},
             {"--tail", "nan", "a.mid"},
             {"--program", "-1", "a.mid"},
             {"--program", "two", "a.mid"},
             {"--param", "Tone", "a.mid"},
             {"--param", "=5", "a.mid"},
             {"--param", "Tone=", "a.mid"},
             {"--frobnicate", "a.mid"},
             {"--quiet=yes", "a.mid"},
             {"a.mid", "-o"},
         })
        EXPECT_THROW(ParseArguments(arguments), UsageError) << arguments.front() << " " << arguments[1];
}

TEST(RenderOptions, DefaultOutputIsTheMidiNameAsWavInTheCurrentFolder)
{
    EXPECT_EQ(render::DefaultOutputFor("songs/tune.mid"), "tune.wav");
    EXPECT_EQ(render::DefaultOutputFor("/tmp/a.b.midi"), "a.b.wav");
    EXPECT_EQ(render::DefaultOutputFor("plain"), "plain.wav");
}

} // namespace brumalux

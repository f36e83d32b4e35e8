// Compares two renders of one MIDI file sample by sample, as scripts/test-arm64.sh holds the cross-built
// organ's render against the build machine's: prints the largest difference and where it lies, and exits
// with 0 when it is within the tolerance, 1 when it is not (or the renders differ in length, rate or
// channels), 2 for a bad command line or a file that is no WAV file.
//
//   compare-renders A.wav B.wav TOLERANCE

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace
{
std::unique_ptr<juce::AudioFormatReader> OpenWav(const char* path)
{
    juce::WavAudioFormat format;
    auto stream =
        std::make_unique<juce::FileInputStream>(juce::File::getCurrentWorkingDirectory().getChildFile(path));
    if (stream->failedToOpen())
        return nullptr;
    return std::unique_ptr<juce::AudioFormatReader>(format.createReaderFor(stream.release(), true));
}

juce::AudioBuffer<float> Samples(juce::AudioFormatReader& reader)
{
    juce::AudioBuffer<float> samples(static_cast<int>(reader.numChannels),
                                     static_cast<int>(reader.lengthInSamples));
    reader.read(&samples, 0, samples.getNumSamples(), 0, true, true);
    return samples;
}
} // namespace

int main(int argc, char** argv)
{
    char* toleranceEnd = nullptr;
    const double tolerance = argc == 4 ? std::strtod(argv[3], &toleranceEnd) : -1.0;
    if (argc != 4 || toleranceEnd == argv[3] || *toleranceEnd != '\0' || !(tolerance >= 0.0))
    {
        std::cerr << "usage: compare-renders A.wav B.wav TOLERANCE\n";
        return 2;
    }
    const auto a = OpenWav(argv[1]), b = OpenWav(argv[2]);
    if (a == nullptr || b == nullptr)
    {
        std::cerr << "compare-renders: cannot read " << (a == nullptr ? argv[1] : argv[2])
                  << " as a WAV file\n";
        return 2;
    }
    if (a->numChannels != b->numChannels || a->lengthInSamples != b->lengthInSamples ||
        a->sampleRate != b->sampleRate)
    {
        std::cerr << "compare-renders: the renders differ in channels, length or rate\n";
        return 1;
    }
    const auto first = Samples(*a), second = Samples(*b);
    double largest = 0.0;
    int where = 0, whichChannel = 0;
    for (int channel = 0; channel < first.getNumChannels(); ++channel)
        for (int i = 0; i < first.getNumSamples(); ++i)
        {
            const double difference = std::abs(static_cast<double>(first.getSample(channel, i)) -
                                               static_cast<double>(second.getSample(channel, i)));
            if (difference > largest)
            {
                largest = difference;
                where = i;
                whichChannel = channel;
            }
        }
    std::cout << "largest difference " << largest << " (channel " << whichChannel << ", sample " << where
              << " of " << first.getNumSamples() << "), tolerance " << tolerance << "\n";
    return largest <= tolerance ? 0 : 1;
}

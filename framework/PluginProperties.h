#pragma once

#include <cstdint>

namespace brumalux
{

// What a filter tells the host wrapper about itself when the wrapper attaches to it.
struct PluginProperties
{
    int32_t uniqueId = 0; // four-character code, first character in the most significant byte
    int numInputChannels = 0;
    int numOutputChannels = 0;
    int latencySamples = 0;
    bool isInstrument = false;
    bool wantsMidiInput = false;
    bool producesMidiOutput = false;
    bool silentOutputWhenInputSilent = false;
};

constexpr int32_t FourCharCode(char a, char b, char c, char d)
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

} // namespace brumalux

// Reads arbitrary bytes as the text of the LV2 form's StateString, as a host hands it over from a
// damaged or foreign project. Text that is refused must leave the bytes it was given alone; text
// that is read must not give more bytes than its characters carry, and those bytes must write and
// read back the same.
#include "fuzz/FuzzCheck.h"
#include "lv2/Lv2StateText.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux;
    const auto* text = reinterpret_cast<const char*>(data);
    const juce::MemoryBlock before("kept", 4);
    juce::MemoryBlock state(before);
    if (!Lv2StateText::Decode(text, size, state))
    {
        Check(state == before);
        return 0;
    }
    Check(state.getSize() <= size * 6 / 8);
    const auto written = Lv2StateText::Encode(state);
    juce::MemoryBlock readBack;
    Check(Lv2StateText::Decode(written.toRawUTF8(), written.getNumBytesAsUTF8(), readBack));
    Check(readBack == state);
    return 0;
}

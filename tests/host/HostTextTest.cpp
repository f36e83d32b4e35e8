#include "host/HostText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brumalux
{

namespace
{
std::string Copied(const juce::String& text, int maxChars)
{
    char buffer[80];
    std::memset(buffer, 0x7f, sizeof(buffer));
    EXPECT_TRUE(HostText::CopyToHost(buffer, text, maxChars));
    EXPECT_EQ(buffer[maxChars + 1], 0x7f) << "wrote past the limit";
    return buffer;
}

TEST(HostText, CopiesCutAtTheLimitAndEndWithZero)
{
    EXPECT_EQ(Copied("Distortion", 8), "Distorti");
    EXPECT_EQ(Copied("Tone", 8), "Tone");
    EXPECT_EQ(Copied("", 8), "");
    EXPECT_EQ(Copied("exactly8", 8), "exactly8");
    EXPECT_FALSE(HostText::CopyToHost(nullptr, "text", 8));
}

TEST(HostText, CopiesNeverSplitACharacter)
{
    // "Größe" is G r (c3 b6) (c3 9f) e in UTF-8: 7 bytes.
    const auto text = juce::String::fromUTF8("Gr\xc3\xb6\xc3\x9f"
                                             "e");
    EXPECT_EQ(Copied(text, 7), "Gr\xc3\xb6\xc3\x9f"
                               "e");
    EXPECT_EQ(Copied(text, 5), "Gr\xc3\xb6");
    EXPECT_EQ(Copied(text, 3), "Gr");
}

TEST(HostText, ReadsStopAtTheLimitOrTheZero)
{
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(HostText::ReadFromHost(unterminated, 4), "abcd");
    EXPECT_EQ(HostText::ReadFromHost("Organ pad", 24), "Organ pad");
    EXPECT_EQ(HostText::ReadFromHost("Organ pad", 5), "Organ");
    EXPECT_EQ(HostText::ReadFromHost(nullptr, 24), "");
    EXPECT_EQ(HostText::ReadFromHost("x", 0), "");
}

TEST(HostText, ReadsBytesThatAreNotUtf8AsLatin1)
{
    EXPECT_EQ(HostText::ReadFromHost("Caf\xe9", 24), juce::String::fromUTF8("Caf\xc3\xa9"));
    EXPECT_EQ(HostText::ReadFromHost("Caf\xc3\xa9", 24), juce::String::fromUTF8("Caf\xc3\xa9"));
}

TEST(HostText, EqualsComparesWholeTexts)
{
    EXPECT_TRUE(HostText::Equals("sizeWindow", "sizeWindow"));
    EXPECT_FALSE(HostText::Equals("sizeWindowX", "sizeWindow"));
    EXPECT_FALSE(HostText::Equals("size", "sizeWindow"));
    EXPECT_FALSE(HostText::Equals(nullptr, "sizeWindow"));
    EXPECT_FALSE(HostText::Equals("", "sizeWindow"));
}
} // namespace

} // namespace brumalux

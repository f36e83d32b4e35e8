// What every player's file must be to be read as text: well-formed UTF-8 without NUL
// characters. JUCE's strings miscount malformed sequences, so none may pass.

#include "userfiles/PlayerTextFile.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace brumalux
{

namespace
{
TEST(PlayerTextFile, TakesWellFormedUtf8AndNothingElse)
{
    const std::pair<std::string, std::optional<std::string>> texts[] = {
        {"", ""},
        {"Brumalux preset\nname = Orgue\n", "Brumalux preset\nname = Orgue\n"},
        {"\xc3\xa9", "\xc3\xa9"},                 // é
        {"\xe2\x82\xac", "\xe2\x82\xac"},         // €
        {"\xf0\x9d\x84\x9e", "\xf0\x9d\x84\x9e"}, // U+1D11E, four bytes
        {"\xef\xbb\xbfname = x", "name = x"},     // a byte order mark, left out
        {std::string("a\0b", 3), std::nullopt},
        {"\x80", std::nullopt},             // a continuation byte alone
        {"\xc0\x80", std::nullopt},         // overlong NUL
        {"\xc1\xbf", std::nullopt},         // overlong
        {"\xe0\x96\x91", std::nullopt},     // overlong three bytes
        {"\xed\xa0\x80", std::nullopt},     // a surrogate
        {"\xf4\x90\x80\x80", std::nullopt}, // beyond U+10FFFF
        {"\xf5\x80\x80\x80", std::nullopt}, // no such lead byte
        {"\xe2\x82", std::nullopt},         // cut short
        {"\xe2\x28\xac", std::nullopt},     // a broken continuation
        {"\xff", std::nullopt},
    };
    for (const auto& [bytes, expected] : texts)
    {
        const auto text = PlayerTextFile::AsText(bytes.data(), bytes.size());
        EXPECT_EQ(text ? std::optional(text->toStdString()) : std::nullopt, expected)
            << juce::String::toHexString(bytes.data(), int(bytes.size()));
    }
}
} // namespace

} // namespace brumalux

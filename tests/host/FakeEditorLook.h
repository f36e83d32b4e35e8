#pragma once

#include <cstdint>

namespace brumalux
{

// What the fake editor looks like, for tests that only see it on screen.
namespace FakeEditorLook
{
constexpr int width = 440;
constexpr int height = 485;
constexpr std::uint32_t fillColour = 0xff2a7f3c;
} // namespace FakeEditorLook

} // namespace brumalux

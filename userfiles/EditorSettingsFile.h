#pragma once

#include "userfiles/PlayerTextFile.h"

#include <optional>

namespace brumalux
{

// The editor's settings for the player, shared by every editor in every form: one small
// file of "key = value" lines in UserFolders::Settings(). Only "zoom" is read, so later
// settings can join it. Message thread.
namespace EditorSettingsFile
{
constexpr PlayerFileKind kind{"Brumalux editor settings file", juce::int64{4} * 1024};

juce::File Location();
// The zoom in percent the file holds; none when the file is missing or damaged, or holds
// no zoom.
std::optional<int> ReadZoomPercent();
juce::Result WriteZoomPercent(int percent);
} // namespace EditorSettingsFile

} // namespace brumalux

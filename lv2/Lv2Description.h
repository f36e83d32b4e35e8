#pragma once

#include <string>

namespace brumalux
{

class QuellmarkFilterBase;

// The bundle's description, written from the organ's parameters and factory programs: the text
// of each of its files. The same on every processor and in every locale (numbers with a ".").
// The organ must be fresh, program 0 selected: its values are the ports' defaults, and its
// bank's programs the presets'.
namespace Lv2Description
{
std::string Manifest(QuellmarkFilterBase& organ);
std::string Plugin(QuellmarkFilterBase& organ);
std::string Editor();
std::string Presets(QuellmarkFilterBase& organ);

// The files and what to write into each, in this order.
constexpr const char* manifestFile = "manifest.ttl";
constexpr const char* pluginFile = "dsp.ttl";
constexpr const char* editorFile = "ui.ttl";
constexpr const char* presetsFile = "presets.ttl";
} // namespace Lv2Description

} // namespace brumalux

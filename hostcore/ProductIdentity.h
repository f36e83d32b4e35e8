#pragma once

namespace brumalux
{

// How the product names itself to hosts and players, in every form.
namespace ProductIdentity
{
constexpr const char* name = "Brumalux";
// The one maintainer, as the build names it (CMakeLists.txt's BRUMALUX_MAINTAINER).
constexpr const char* vendor = BRUMALUX_MAINTAINER_NAME;
constexpr const char* vendorEmail = BRUMALUX_MAINTAINER_EMAIL;
constexpr const char* homepage = "https://quellmark.music";
constexpr const char* description = "Polyphonic drawbar organ";
// The project's version, "major.minor.patch", set by the build (CMakeLists.txt's project()).
constexpr const char* version = BRUMALUX_VERSION;
} // namespace ProductIdentity

} // namespace brumalux

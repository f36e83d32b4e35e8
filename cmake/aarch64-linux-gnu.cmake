# Cross-compiles for 64-bit ARM Linux (aarch64) with Debian's cross compilers
# (crossbuild-essential-arm64) against the arm64 libraries installed beside the build machine's
# own (dpkg --add-architecture arm64; scripts/install-arm64-deps.sh installs both).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
#         -DJUCE_DIR=/usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5 ...
#
# JUCE comes from the build machine's package: its modules are sources, and its helper
# programs run on the build machine.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(triple aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triple})
# Debian's multiarch layout keeps the arm64 libraries under /usr/lib/aarch64-linux-gnu and
# their headers under /usr/include; the wrapper reads the arm64 pkg-config files only.
set(PKG_CONFIG_EXECUTABLE ${triple}-pkg-config CACHE FILEPATH "")

# Built programs (tests, and the steps of the build that run what it built) start through
# qemu-user. Its root is /, where the arm64 dynamic loader and libraries are installed.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L / CACHE STRING "")

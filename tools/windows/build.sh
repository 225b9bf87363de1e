#!/usr/bin/env bash
# Cross-builds the game for Windows with MinGW-w64 (run through ./build.sh windows, which
# installs the compilers): build-win64/lorvex.exe and build-win32/lorvex.exe, each a single
# file, and beside them the zips for players, lorvex-<version>-windows-x64.zip and -x86.zip.
set -euo pipefail
cd "$(dirname "$0")/../.."
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
for target in x86_64:win64 i686:win32; do
  dir=build-${target#*:}
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-${target%:*}-w64-mingw32.cmake"
  cmake --build "$dir"
  (cd "$dir" && cpack -G ZIP > /dev/null)
  ls "$dir"/lorvex.exe "$dir"/lorvex-*-windows-*.zip
done

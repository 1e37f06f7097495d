#!/usr/bin/env bash
# Sets up the machine if needed, configures and builds the tree in build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DS_BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh" "$build"
if [ ! -f "$build/build.ninja" ]; then
  cmake -G Ninja -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$build"

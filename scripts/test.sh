#!/usr/bin/env bash
# Sets up the machine if needed, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DS_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
. "$root/scripts/session.sh" "$build"
cd "$build"
ctest --output-on-failure --timeout 900 "$@"

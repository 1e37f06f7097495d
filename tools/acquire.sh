#!/usr/bin/env bash
# Runs the acquisition tool against one source of a build, under the build's
# Wine prefix.
#
#   tools/acquire.sh [-B BUILD_DIR] [-x|-n] NAME|FILE.ds [tool options...]
#
# NAME is a deliverable (DXHR_32, DXSR_32, DXSR321, DXHR321): BUILD_DIR/NAME.ds.
# Build 4.12 (natural layout, loads TWAIN32.DLL) runs as
#   acquire.exe --dsm own --ds <source>
# with TWAIN32.DLL from the build directory. Build 4.12X (packed layout, loads
# Wine's TWAIN_32.DLL) is copied over C:\windows\twain_32\gphoto2.ds of the
# prefix, the only slot besides sane.ds that Wine's manager looks at, and runs as
#   WINEDLLOVERRIDES=gphoto2.ds=n acquirex.exe --dsm wine --ds <source>
# The build is told by the name (4.12X names end in 321); -x or -n forces
# 4.12X or 4.12. wnaspi32=n is always set, so that the scanner simulator in
# the prefix's system32 is used when it is installed.
#
# Without DISPLAY the run gets its own X server (xvfb-run -a). Wine's helper
# processes then outlive that server by a moment and may print
# "X connection to :N broken" on the way out; that is harmless.
# Everything runs under `timeout`: the tool's --timeout (default 60) plus 30 s.
# Exit status: the tool's (acquire.exe --help lists them); 124 if the outer
# time limit struck.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="${BUILD_DIR:-$here/../build}"
layout=""
while getopts "B:xn" flag; do
  case $flag in
    B) build=$OPTARG ;;
    x) layout=packed ;;
    n) layout=natural ;;
    *) echo "usage: $0 [-B BUILD_DIR] [-x|-n] NAME|FILE.ds [tool options...]" >&2; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-B BUILD_DIR] [-x|-n] NAME|FILE.ds [tool options...]" >&2; exit 1; }
target=$1
shift
build=$(cd "$build" && pwd)

case $target in
  *.ds | */*) ds=$target ;;
  *) ds="$build/$target.ds" ;;
esac
[ -f "$ds" ] || { echo "acquire.sh: no such source: $ds" >&2; exit 2; }
ds=$(cd "$(dirname "$ds")" && pwd)/$(basename "$ds")
if [ -z "$layout" ]; then
  case $(basename "$ds" .ds) in
    *321) layout=packed ;;
    *) layout=natural ;;
  esac
fi

# The tool's own limit decides the outer one.
tool_timeout=60
prev=""
for a in "$@"; do
  case $a in --timeout=*) tool_timeout=${a#--timeout=} ;; esac
  [ "$prev" = "--timeout" ] && tool_timeout=$a
  prev=$a
done
case $tool_timeout in '' | *[!0-9]*) tool_timeout=60 ;; esac
outer=$((tool_timeout + 30))

export WINEPREFIX="$build/wineprefix" WINEARCH=win32 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export DS_RUN_TIMEOUT=$outer
overrides="wnaspi32=n"
win_ds="Z:${ds//\//\\}"
if [ "$layout" = packed ]; then
  slot="$WINEPREFIX/drive_c/windows/twain_32"
  mkdir -p "$slot"
  cp "$ds" "$slot/gphoto2.ds"
  overrides="$overrides;gphoto2.ds=n"
  cmd=("$build/wine-run.sh" "$build/acquirex.exe" --dsm wine --ds "$win_ds" "$@")
else
  cmd=("$build/wine-run.sh" "$build/acquire.exe" --dsm own --ds "$win_ds" "$@")
fi
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}$overrides"

if [ -n "${DISPLAY:-}" ]; then
  exec timeout -k 5 "$outer" "${cmd[@]}"
fi
exec timeout -k 5 $((outer + 15)) xvfb-run -a "${cmd[@]}"

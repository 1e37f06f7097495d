#!/usr/bin/env bash
# The main job: sets up the machine if needed, builds, and acquires one image
# from the simulated scanner with one source (default DXHR321, the 600-dpi
# 4.12X build, through Wine's source manager), without the dialog, reporting
# each step. The image lands in build/scan.bmp unless --out says otherwise.
#   bash scripts/run.sh [DXHR_32|DXSR_32|DXSR321|DXHR321] [acquisition tool options]
# e.g. bash scripts/run.sh DXHR_32 --mode grey --resolution 200 --area 1,1,3,4 --xfer memory
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DS_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" >/dev/null
. "$root/scripts/session.sh" "$build"
source_name=${1:-DXHR321}
[ $# -gt 0 ] && shift
case $source_name in
  DXSR*) export QS_SIM_CONFIG=${QS_SIM_CONFIG:-model=QS52D0} ;;
  *) export QS_SIM_CONFIG=${QS_SIM_CONFIG:-model=QS71B0} ;;
esac
out=()
case " $* " in *" --out "*|*" --out="*) ;; *) out=(--out "$build/scan.bmp") ;; esac
"$root/tools/acquire.sh" -B "$build" "$source_name" --showui 0 --timeout 120 --auto-answer "${out[@]}" "$@"

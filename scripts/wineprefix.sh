#!/usr/bin/env bash
# Creates the Wine prefix of one build tree (argument: the build directory).
set -euo pipefail
build=${1:?build directory}
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
if [ -f "$WINEPREFIX/.prefix-ready" ]; then exit 0; fi
mkdir -p "$build"
timeout 300 wineboot -i >/dev/null 2>&1 || true
# No window manager under Xvfb; no crash dialog waiting for a click.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 60 wineserver -w || true
touch "$WINEPREFIX/.prefix-ready"

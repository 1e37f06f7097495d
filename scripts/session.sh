#!/usr/bin/env bash
# Starts what every Wine run of this tree needs (a virtual display and a
# persistent wineserver for the build's prefix) and stops it again when the
# calling script exits. Source it: `. scripts/session.sh BUILD_DIR`.
ds_build=${1:?build directory}
export WINEPREFIX="$ds_build/wineprefix" WINEARCH=win32 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
ds_xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ds_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    break
  done
fi
wineserver -p 2>/dev/null || true
# The first Wine program starts the prefix's background services, which then
# stay with the persistent server. Start them here, away from any test's
# output pipe: a test runner would otherwise wait on them for its output.
timeout 120 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
ds_session_end() {
  wineserver -k 2>/dev/null || true
  [ -n "$ds_xvfb_pid" ] && kill "$ds_xvfb_pid" 2>/dev/null || true
}
trap ds_session_end EXIT

#!/usr/bin/env bash
# Runs a command that opens windows: on the caller's X display, or on one of
# its own when there is none.
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a "$@"

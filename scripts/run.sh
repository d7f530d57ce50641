#!/usr/bin/env bash
# Sets up, builds and starts Quorvex from its run folder.
set -euo pipefail
cd "$(dirname "$0")/.."
# Said before anything is installed or built: without a display there is
# nothing to start.
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
Quorvex is a desktop program and needs a display, but DISPLAY is not set.
Start it from a graphical session, or give it a virtual display:
    Xvfb :99 -screen 0 1024x768x24 &
    DISPLAY=:99 scripts/run.sh
MSG
  exit 1
fi
scripts/setup.sh
scripts/build.sh
cd build
exec ./quorvex

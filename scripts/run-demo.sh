#!/usr/bin/env bash
# Installs what is needed, builds, and starts the window on the built-in
# simulated transmitter (COM1). Settings files are written to scratch/demo,
# not to the repository root. Extra arguments go to orn20mb.
set -euo pipefail
cd "$(dirname "$0")/.."
# The display is checked first, before minutes of building.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: run it on a desktop, or under Xvfb (Debian package xvfb): xvfb-run -a scripts/run-demo.sh;" \
       "without any display: scripts/run-demo.sh with QT_QPA_PLATFORM=offscreen and --screenshot FILE" >&2
  exit 1
fi
scripts/install-deps.sh
# Only the three programs: the tests are built by scripts/test.sh.
scripts/build.sh release build orn20mb orn20mb-cli orn20mb-sim
mkdir -p scratch/demo
cd scratch/demo
exec ../../build/src/ui/orn20mb --demo "$@"

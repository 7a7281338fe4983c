#!/usr/bin/env bash
# Installs what is needed, builds, and starts the window on the built-in
# simulated transmitter (COM1). Settings files are written to scratch/demo,
# not to the repository root. Extra arguments go to orn20mb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release build
mkdir -p scratch/demo
cd scratch/demo
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: run it on a desktop, or under Xvfb: xvfb-run -a scripts/run-demo.sh" >&2
  exit 1
fi
exec ../../build/src/ui/orn20mb --demo "$@"

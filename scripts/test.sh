#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test; then the sanitizer build
# runs the unit, pty and soak tests again, and each fuzz target runs for 30 s
# from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release build
(cd build && ctest --output-on-failure -j2)
scripts/build.sh sanitize build-sanitize
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j2 -L 'unit|pty|soak')
scripts/fuzz.sh 30 build-fuzz

#!/usr/bin/env bash
# Configures and builds one tree. Usage: scripts/build.sh [release|sanitize] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release)  dir=${2:-build};          extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir=${2:-build-sanitize}; extra=(-DCMAKE_BUILD_TYPE=Debug -DORN_SANITIZE=ON -DORN_BUILD_UI=OFF -DORN_BUILD_PEERS=OFF -DORN_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|sanitize] [BUILD_DIR]" >&2; exit 2 ;;
esac
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DORN_WERROR="${ORN_WERROR:-$werror}" "${extra[@]}" >/dev/null
cmake --build "$dir"

#!/usr/bin/env bash
# Configures and builds one tree, or only the named targets of it.
# Usage: scripts/build.sh [release|sanitize] [BUILD_DIR] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-release}
case "$kind" in
  release)  dir=${2:-build};          extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) dir=${2:-build-sanitize}; extra=(-DCMAKE_BUILD_TYPE=Debug -DORN_SANITIZE=ON -DORN_BUILD_UI=OFF -DORN_BUILD_PEERS=OFF -DORN_BUILD_BENCH=OFF) ;;
  *) echo "usage: $0 [release|sanitize] [BUILD_DIR] [TARGET...]" >&2; exit 2 ;;
esac
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DORN_WERROR="${ORN_WERROR:-$werror}" "${extra[@]}" >/dev/null
targets=("${@:3}")
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" --target "${targets[@]}"
else
  cmake --build "$dir"
fi

#!/usr/bin/env bash
# Builds everything into build/ (or $BUILD_DIR), installing what the build needs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/ensure-packages.sh" g++ cmake make libgtest-dev
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"

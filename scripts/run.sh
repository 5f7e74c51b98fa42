#!/usr/bin/env bash
# Builds Vantorel (installing what the build needs) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
[[ -f build/CMakeCache.txt ]] || cmake -S . -B build -G Ninja -DVANTOREL_BUILD_TESTS=OFF
cmake --build build --target vantorel
exec build/src/vantorel

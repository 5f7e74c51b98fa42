#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and prints every figure the
# project has a target for: painting and typing at 540x540 and 3840x2160, the
# decoder's throughput and instructions per byte, opening a save against
# decoding it alone, and start-up against a bare Qt window.
# Figures are only worth quoting on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh bench
if [[ ! -f build-bench/CMakeCache.txt ]]; then
    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVANTOREL_BUILD_BENCH=ON -DVANTOREL_BUILD_TESTS=OFF
fi
cmake --build build-bench
export QT_QPA_PLATFORM=offscreen
build-bench/bench/bench_formpaint
build-bench/bench/bench_explode
build-bench/bench/bench_loadsave
bench/startup.sh build-bench
scripts/callgrind-explode.sh

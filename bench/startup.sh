#!/usr/bin/env bash
# Cold start to the first painted frame, offscreen, as whole processes:
# Vantorel against a bare Qt window built in the same tree. Prints the mean
# of each over RUNS runs (default 30) and their ratio; the goal is 1.25 or less.
#   bench/startup.sh [BUILD_DIR]    (configured with -DVANTOREL_BUILD_BENCH=ON)
set -euo pipefail
dir=${1:-build-bench}
runs=${RUNS:-30}
export QT_QPA_PLATFORM=offscreen
cmake --build "$dir" --target startup_vantorel startup_bare >/dev/null

mean_ms() {
    local program=$1 total=0 start end
    "$program" >/dev/null 2>&1  # warm the file cache: "cold" is a new process, not a cold disk
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$program" >/dev/null 2>&1
        end=$(date +%s%N)
        total=$((total + end - start))
    done
    echo $((total / runs / 1000))
}

vantorel=$(mean_ms "$dir/bench/startup_vantorel")
bare=$(mean_ms "$dir/bench/startup_bare")
awk -v v="$vantorel" -v b="$bare" 'BEGIN {
    printf "vantorel: %.1f ms  bare Qt window: %.1f ms  ratio: %.2f\n", v / 1000, b / 1000, v / b }'

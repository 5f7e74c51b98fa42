#!/usr/bin/env bash
# Builds the Qt-free core and its unit tests for other processors and runs
# them under qemu-user, where two things that x86-64 gives for free are gone:
#   aarch64  long double is a 128-bit quad, not the x87 format, so only the
#            portable extended arithmetic passes the chart's tests;
#   s390x    big-endian, so the decoder and the save reader pass only if
#            they read the save's little-endian words by construction.
# Each target has its own build folder, build-<target>, configured once.
# Usage: scripts/cross-test.sh [aarch64|s390x]...   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh ci

targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(aarch64 s390x)
for target in "${targets[@]}"; do
    toolchain=cmake/toolchain-$target.cmake
    [[ -f $toolchain ]] || { echo "no toolchain file $toolchain" >&2; exit 2; }
    dir=build-$target
    if [[ ! -f $dir/CMakeCache.txt ]]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DVANTOREL_CORE_ONLY=ON -DVANTOREL_WERROR=ON \
            -DVANTOREL_GTEST_SOURCE=/usr/src/googletest
    fi
    cmake --build "$dir"
    echo "== Core tests on $target (qemu-user)"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$(nproc)"
done

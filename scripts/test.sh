#!/usr/bin/env bash
# Builds Vantorel with its tests (installing what they need) and runs them all.
#   scripts/test.sh              the suite, in build/
#   scripts/test.sh --sanitize   the suite under ASan and UBSan, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

dir=build
flags=(-DVANTOREL_BUILD_TESTS=ON -DVANTOREL_WERROR=ON)
if [[ ${1:-} == --sanitize ]]; then
    dir=build-asan
    flags+=(-DVANTOREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
# Configure once; later runs reuse the cache (and turn the tests on if a
# build folder from scripts/run.sh had them off).
if [[ ! -f $dir/CMakeCache.txt ]] || ! grep -q '^VANTOREL_BUILD_TESTS:BOOL=ON' "$dir/CMakeCache.txt"; then
    cmake -S . -B "$dir" -G Ninja "${flags[@]}"
fi
cmake --build "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-fuzz/), and replays their seeds.
#   scripts/fuzz.sh                  replay every seed of fuzz/corpus/*/
#   scripts/fuzz.sh --ci             then fuzz each target for FUZZ_SECONDS (60)
#   scripts/fuzz.sh [--ci] NAME...   only these targets
# Target fuzz_NAME (fuzz/CMakeLists.txt) goes with seeds fuzz/corpus/NAME/. A
# fuzzing run keeps what it finds in build-fuzz/corpus/NAME/, never in the
# repository; a crash leaves its input in build-fuzz/findings/NAME/ and fails
# the script.
set -euo pipefail
cd "$(dirname "$0")/.."

ci=0
names=()
for arg in "$@"; do
    case $arg in
        --ci) ci=1 ;;
        -h|--help) sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        -*) echo "fuzz.sh: unknown option $arg" >&2; exit 2 ;;
        *) names+=("$arg") ;;
    esac
done
if [[ ${#names[@]} -eq 0 ]]; then
    for dir in fuzz/corpus/*/; do
        names+=("$(basename "$dir")")
    done
fi

compiler=clang++-14
if ! command -v "$compiler" >/dev/null; then
    echo "fuzz.sh: $compiler is missing; scripts/deps.sh ci installs it" >&2
    exit 1
fi
if [[ ! -f build-fuzz/CMakeCache.txt ]]; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER="$compiler" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOREL_CORE_ONLY=ON -DVANTOREL_BUILD_TESTS=OFF \
        -DVANTOREL_FUZZ=ON -DVANTOREL_WERROR=ON
fi
targets=()
for name in "${names[@]}"; do
    targets+=("fuzz_$name")
done
cmake --build build-fuzz --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
seconds=${FUZZ_SECONDS:-60}
for name in "${names[@]}"; do
    fuzzer=build-fuzz/fuzz/fuzz_$name
    seeds=fuzz/corpus/$name
    count=$(find "$seeds" -type f | wc -l)
    echo "== fuzz_$name: replaying $count seeds"
    "$fuzzer" -runs=0 "$seeds"
    if [[ $ci -eq 1 ]]; then
        echo "== fuzz_$name: fuzzing for $seconds s"
        mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name"
        # Inputs may grow past 16384 bytes, the decoder's input block.
        "$fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=20000 -print_final_stats=1 \
            -artifact_prefix="build-fuzz/findings/$name/" "build-fuzz/corpus/$name" "$seeds"
    fi
done

#!/usr/bin/env bash
# Counts the instructions ExplodeFile takes per byte of decoded image on the
# two real compressed saves, under callgrind, in a Release build
# (build-callgrind/). Only ExplodeFile and what it calls are counted
# (--toggle-collect), so the figure leaves out process start and exit.
#   scripts/callgrind-explode.sh [SAVE...]    default: COTM162 and COTM163
# Exits 1 when a save is above its target: 11 for COTM162, 8.5 for COTM163.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v valgrind >/dev/null; then
    echo "callgrind-explode.sh: valgrind is missing (Debian package valgrind)" >&2
    exit 1
fi
if [[ ! -f build-callgrind/CMakeCache.txt ]]; then
    cmake -S . -B build-callgrind -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOREL_CORE_ONLY=ON \
        -DVANTOREL_BUILD_TESTS=OFF -DVANTOREL_BUILD_BENCH=ON >/dev/null
fi
cmake --build build-callgrind --target explode_file >/dev/null

saves=("$@")
if [[ ${#saves[@]} -eq 0 ]]; then
    saves=(tests/data/saves/COTM162_C3C122_01.SAV tests/data/saves/COTM163_C3C122_01.SAV)
fi
declare -A target=([COTM162_C3C122_01.SAV]=11 [COTM163_C3C122_01.SAV]=8.5)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for save in "${saves[@]}"; do
    name=$(basename "$save")
    valgrind --tool=callgrind --toggle-collect='*ExplodeFile*' --callgrind-out-file="$work/out" \
        build-callgrind/bench/explode_file "$save" "$work/image" 2>"$work/log" ||
        { cat "$work/log" >&2; exit 1; }
    instructions=$(awk '/^(summary|totals):/ { print $2; exit }' "$work/out")
    bytes=$(stat -c %s "$work/image")
    perByte=$(awk -v i="$instructions" -v b="$bytes" 'BEGIN { printf "%.2f", i / b }')
    line="$name: $instructions instructions for $bytes bytes: $perByte per byte"
    if [[ -n ${target[$name]:-} ]]; then
        if awk -v p="$perByte" -v t="${target[$name]}" 'BEGIN { exit !(p > t) }'; then
            line+=" (above the target of ${target[$name]})"
            status=1
        else
            line+=" (target ${target[$name]})"
        fi
    fi
    echo "$line"
    rm -f "$work/image"
done
exit $status

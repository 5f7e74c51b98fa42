#!/usr/bin/env bash
# Makes docs/screenshot.png, the README's picture, with the program itself:
# a reference curve for 3000 points with two real games drawn over it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
[[ -f build/CMakeCache.txt ]] || cmake -S . -B build -G Ninja
cmake --build build --target vantorel-cli
mkdir -p docs
build/src/cli/vantorel-cli render --max 3000 -o docs/screenshot.png \
    tests/data/saves/COTM163_C3C122_01.SAV tests/data/saves/COTM162_C3C122_01.SAV
echo "wrote docs/screenshot.png"

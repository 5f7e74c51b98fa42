#!/usr/bin/env bash
# Installs the Debian packages that a task needs, skipping those already there.
# Usage: scripts/deps.sh build|test|bench|ci
set -euo pipefail

build_pkgs=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev fonts-dejavu-core fonts-liberation2)
test_pkgs=(libgtest-dev libgmock-dev shared-mime-info)
ci_pkgs=(clang-14 libclang-rt-14-dev g++-aarch64-linux-gnu g++-s390x-linux-gnu qemu-user
         appstream desktop-file-utils dpkg-dev file)
bench_pkgs=(libbenchmark-dev valgrind)

wanted=("${build_pkgs[@]}")
case "${1:-build}" in
    build) ;;
    test) wanted+=("${test_pkgs[@]}") ;;
    bench) wanted+=("${bench_pkgs[@]}") ;;
    ci) wanted+=("${test_pkgs[@]}" "${ci_pkgs[@]}") ;;
    *) echo "usage: $0 build|test|bench|ci" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

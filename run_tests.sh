#!/usr/bin/env bash
# Builds Morvel twice (optimised, and with AddressSanitizer + UBSan) and runs
# every unit and job test in both builds.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --tests
jobs=$(nproc 2>/dev/null || echo 2)
werror=${MORVEL_WERROR:-ON}

build_and_test() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DMORVEL_WERROR="$werror" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

echo "== optimised build =="
build_and_test build -DCMAKE_BUILD_TYPE=Release
echo "== sanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DMORVEL_SANITIZE=ON

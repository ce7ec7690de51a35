#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and gives each
# target MINUTES minutes. The targets run side by side at the lowest priority, so
# the whole run takes about MINUTES minutes of wall time; each target's figures
# (executions, coverage) come from its own process.
#   fuzz/run.sh MINUTES [target ...]          (CXX chooses the compiler, default clang++-14)
#
# Each target starts from its committed seeds in fuzz/corpus/<name>/ and adds what
# it finds to build-fuzz/corpus/<name>/ (not committed). A crash, leak or timeout
# leaves its input in build-fuzz/findings/<name>/; commit it to fuzz/corpus/<name>/
# once fixed, so the replay tests keep it fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
    echo "usage: $0 MINUTES [target ...]" >&2
    exit 2
fi
minutes=$1; shift
cxx=${CXX:-clang++-14}
build=${MORVEL_FUZZ_BUILD:-build-fuzz}
root=$(pwd)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="$cxx" -DMORVEL_FUZZ=ON -DMORVEL_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
nice -n 19 cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
pids=()
for t in "${targets[@]}"; do
    # Absolute names: each target changes into a scratch directory of its own.
    work=$root/$build/corpus/$t findings=$root/$build/findings/$t
    mkdir -p "$work" "$findings"
    nice -n 19 "$build/fuzz/fuzz_$t" -max_total_time=$((minutes * 60)) -timeout=30 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "$root/fuzz/corpus/$t" >"$build/$t.log" 2>&1 &
    pids+=($!)
done
echo "running ${#targets[@]} target(s) for $minutes minute(s) each, side by side"
failed=()
for i in "${!targets[@]}"; do
    t=${targets[$i]}
    wait "${pids[$i]}" || failed+=("$t")
    # The last status line gives executions (#N), coverage (cov) and features (ft).
    printf '%-16s %s\n' "$t" "$(grep -E '^#[0-9]+' "$build/$t.log" | tail -n 1)"
    printf '%-16s %s\n' "" "$(grep -E '^stat::number_of_executed_units' "$build/$t.log")"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]} (see $build/<target>.log and $build/findings/)" >&2
    exit 1
fi
echo "PASS: every target ran clean"

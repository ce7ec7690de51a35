#!/usr/bin/env bash
# Batches through GNU parallel: 200 spools run by morvel-batch with "parallel
# -j 2" come out with a log and a return-code file each, and with the same
# bytes as a run of the same spools one after another. morvel-batch's own
# rules (a failing run, a run that takes too long) are checked here too.
# Usage: parallel_test.sh MORVEL SOURCE_DIR
# Exits 77 (skipped) without GNU parallel.
set -euo pipefail
morvel=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$(cd "$2" && pwd)
command -v parallel >/dev/null 2>&1 || {
    echo "SKIPPED: GNU parallel is not installed (scripts/install-deps.sh --tests installs it)"
    exit 77
}
batch=$source/service/morvel-batch
definition=$source/bench/job/invoices.def
export MORVEL=$morvel

tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvel-parallel.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# 200 spools of one to five copies of the invoice example, numbered apart; two
# of them with names a careless command line would split or take for options.
mkdir "$tmp/spools"
for i in $(seq 1 200); do
    name=spool-$(printf %03d "$i").prn
    [ "$i" -eq 7 ] && name="with space.prn"
    [ "$i" -eq 8 ] && name="-dash.prn"
    for copy in $(seq 0 $((i % 5))); do
        sed "s/Invoice No: 102/Invoice No: $i$copy/" "$source/examples/invoice/invoice.prn"
    done >"$tmp/spools/$name"
done

cd "$tmp"
for spool in spools/*; do
    "$batch" "$definition" "$spool" "serial/${spool##*/}" || fail "serial run of $spool: $?"
done
parallel --will-cite -j 2 --joblog joblog "$batch" "$definition" {} parallel/{/} ::: spools/* ||
    fail "parallel exited with $?"

[ "$(tail -n +2 joblog | awk -F '\t' '$7 == 0' | wc -l)" -eq 200 ] ||
    fail "the job log does not show 200 runs with exit value 0"
compared=0
for spool in spools/*; do
    name=${spool##*/}
    for f in all.pcl all.txt "$name.rc"; do
        [ -s "serial/$name/$f" ] || fail "serial/$name/$f is missing"
        cmp -s "serial/$name/$f" "parallel/$name/$f" || fail "parallel/$name/$f differs from the serial run"
        compared=$((compared + 1))
    done
    [ "$(cat "parallel/$name/$name.rc")" = 0 ] || fail "$name.rc is not 0"
    grep -qx "Morvel finished successfully" "parallel/$name/$name.log" ||
        fail "$name.log does not end in success"
done
[ "$compared" -eq 600 ] || fail "only $compared files compared"

# A run that fails (no definition): its code in the .rc file and as the exit code.
printf 'not an invoice' >bad.prn
status=0
"$batch" missing.def bad.prn bad || status=$?
[ "$status" -eq 101 ] && [ "$(cat bad/bad.prn.rc)" = 101 ] ||
    fail "a failed run: exit code $status, bad.prn.rc $(cat bad/bad.prn.rc 2>/dev/null)"
# A run that takes too long is stopped, with timeout's code.
printf '#!/bin/sh\nsleep 30\n' >slow && chmod +x slow
status=0
MORVEL=$tmp/slow MORVEL_TIMEOUT=1 "$batch" "$definition" bad.prn slow.out || status=$?
[ "$status" -eq 124 ] && [ "$(cat slow.out/bad.prn.rc)" = 124 ] || fail "a run past MORVEL_TIMEOUT: $status"
# Too few arguments.
status=0
"$batch" "$definition" bad.prn 2>/dev/null || status=$?
[ "$status" -eq 100 ] || fail "two arguments: exit code $status, not 100"

[ "$failures" -eq 0 ] || exit 1
echo "PASS: 200 spools through parallel -j 2 equal the serial run byte for byte"

#!/usr/bin/env bash
# The hot folder script, driven as its units drive it: 50 spools dropped, ten of
# them still being written (NAME.part) when two scans start at once, and two
# whose runs fail; then a folder a stopped scan left behind, and a run that leaves
# a process behind.
# Usage: hotfolder_test.sh MORVEL SOURCE_DIR
set -euo pipefail
morvel=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$(cd "$2" && pwd)
hotfolder=$source/service/morvel-hotfolder

tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvel-hotfolder.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The morvel the scans run: the real one, after writing the spool's name to a
# ledger, so that a spool run twice shows; and a run that starts while another
# runs (two scans at once) leaves a mark.
ledger=$tmp/ledger
cat >"$tmp/morvel" <<EOF
#!/bin/sh
for spool; do :; done
printf '%s\0' "\${spool##*/}" >>"$ledger"
mkdir "$tmp/running" 2>/dev/null || : >"$tmp/overlapped"
"$morvel" "\$@"
status=\$?
rmdir "$tmp/running"
exit \$status
EOF
chmod +x "$tmp/morvel"
export MORVEL=$tmp/morvel MORVEL_DEFINITION=$source/tests/service/job.def

# Names a shell script gets wrong when it does not quote.
names=("with space" "-leading-dash" $'new\nline' "star*[x]" "tab	name")
for i in $(seq -w 6 50); do names+=("spool-$i"); done
# Each spool's customer is its place in names (or the name itself when not there).
declare -A place
for i in "${!names[@]}"; do place[${names[$i]}]=$i; done
customer() { printf 'Customer %s' "${place[$1]:-$1}"; }
# spool NAME QUANTITY: the spool's two lines.
spool() { printf '%s\n%s\n' "$(customer "$1")" "$2"; }
quantity() {
    case $1 in spool-13 | spool-37) echo many ;; *) echo 21 ;; esac
}

check_filed() { # FOLDER WHERE NAME STATUS
    local dir=$1/$2/$3
    [ -d "$dir" ] || { fail "$(printf %q "$3") is not in $2/"; return; }
    [ -f "$dir/$3" ] || fail "$2/$(printf %q "$3") lacks its spool"
    [ -s "$dir/$3.log" ] || fail "$2/$(printf %q "$3") lacks its log"
    [ "$(cat "$dir/$3.rc" 2>/dev/null)" = "$4" ] || fail "$2/$(printf %q "$3").rc is not $4"
    if [ "$4" = 0 ]; then
        [ "$(sed 's/ *$//' "$dir/result.txt" 2>/dev/null)" = "$(customer "$3")"$'\n42.000000' ] ||
            fail "done/$(printf %q "$3")/result.txt is not the spool's result"
    else
        grep -qs "MEMORY_ERROR=1" "$dir/$3.log" || fail "the log of $(printf %q "$3") tells no failure"
    fi
}

# --- 50 spools, 10 of them still being written when the scans start ---
folder=$tmp/in
mkdir "$folder"
: >"$ledger"
for n in "${names[@]:0:40}"; do spool "$n" "$(quantity "$n")" >"$folder/$n"; done
for n in "${names[@]:40}"; do printf '%s\n' "$(customer "$n")" >"$folder/$n.part"; done
printf 'never a spool\n' >"$folder/.hidden"
"$hotfolder" "$folder" 2>"$tmp/scan1.err" &
scan1=$!
"$hotfolder" "$folder" 2>"$tmp/scan2.err" &
scan2=$!
# Five writers finish while the scans run, and rename their spools into the
# folder; five are slower, and finish only when both scans have ended.
finish() {
    for n; do
        printf '%s\n' "$(quantity "$n")" >>"$folder/$n.part"
        mv -- "$folder/$n.part" "$folder/$n"
    done
}
finish "${names[@]:40:5}"
wait "$scan1" || fail "the first scan exited with $?"
wait "$scan2" || fail "the second scan exited with $?"
for n in "${names[@]:45}"; do
    [ "$(cat "$folder/$n.part" 2>/dev/null)" = "$(customer "$n")" ] ||
        fail "$n.part was touched while it was being written"
done
finish "${names[@]:45}"
# The renames start one more scan, as they start the service.
"$hotfolder" "$folder" 2>"$tmp/scan3.err" || fail "the third scan exited with $?"

for n in "${names[@]}"; do
    case $n in spool-13 | spool-37) check_filed "$folder" failed "$n" 1 ;; *) check_filed "$folder" "done" "$n" 0 ;; esac
done
[ "$(find "$folder/done" -mindepth 1 -maxdepth 1 -printf x | wc -c)" -eq 48 ] || fail "done/ does not hold 48 spools"
[ "$(find "$folder/failed" -mindepth 1 -maxdepth 1 -printf x | wc -c)" -eq 2 ] || fail "failed/ does not hold 2 spools"
[ -z "$(find "$folder/.work" -mindepth 1)" ] || fail ".work is not empty"
[ -f "$folder/.hidden" ] || fail ".hidden was taken"
mapfile -d '' runs <"$ledger"
[ "${#runs[@]}" -eq 50 ] || fail "${#runs[@]} runs for 50 spools"
[ -z "$(printf '%s\0' "${runs[@]}" | sort -z | uniq -zd | tr '\0' ' ')" ] || fail "a spool ran twice"
[ ! -e "$tmp/overlapped" ] || fail "two scans ran spools at the same time"

# --- what a stopped scan leaves in .work ---
folder=$tmp/left
mkdir -p "$folder/.work" "$folder/done/already"
: >"$ledger"
job() { # JOB NAME: a job folder holding NAME's .name file
    mkdir "$folder/.work/$1"
    printf '%s\0' "$2" >"$folder/.work/$1/.name"
}
# Stopped while morvel ran: run again from the start, the half output gone.
job job.run "interrupted run"
spool "interrupted run" 21 >"$folder/.work/job.run/interrupted run"
printf 'half\n' >"$folder/.work/job.run/result.txt"
# Stopped after the run had ended: filed as it is, not run again.
job job.end already
spool already 21 >"$folder/.work/job.end/already"
printf 'Customer already\n42.000000\n' >"$folder/.work/job.end/result.txt"
printf 'log\n' >"$folder/.work/job.end/already.log"
printf '0\n' >"$folder/.work/job.end/already.rc"
# Stopped before the claim: the spool is still in the folder.
job job.claim waiting
spool waiting 21 >"$folder/waiting"
"$hotfolder" "$folder" 2>"$tmp/scan4.err" || fail "the scan after a stop exited with $?"
check_filed "$folder" "done" "interrupted run" 0
check_filed "$folder" "done" "waiting" 0
[ "$(cat "$folder/done/already.1/result.txt" 2>/dev/null)" = $'Customer already\n42.000000' ] ||
    fail "the ended job was not filed as done/already.1, beside the name taken"
mapfile -d '' runs <"$ledger"
[ "$(printf '%s\n' "${runs[@]}" | sort | tr '\n' ,)" = "interrupted run,waiting," ] ||
    fail "after a stop these ran: $(printf '%s,' "${runs[@]}")"
[ -z "$(find "$folder/.work" -mindepth 1)" ] || fail ".work is not empty after a stop"

# --- wrong use: exit code 100, and the spool waits in the folder, unclaimed ---
folder=$tmp/wrong
mkdir "$folder"
spool waiting 21 >"$folder/waiting"
: >"$ledger"
mkdir "$tmp/a-folder"
: >"$tmp/unreadable.def"
chmod 000 "$tmp/unreadable.def"
wrong_definitions=("" "$tmp/missing.def" "$tmp/a-folder")
# root reads a file whatever its mode.
[ "$(id -u)" -eq 0 ] || wrong_definitions+=("$tmp/unreadable.def")
for definition in "${wrong_definitions[@]}"; do
    status=0
    MORVEL_DEFINITION=$definition "$hotfolder" "$folder" 2>/dev/null || status=$?
    [ "$status" -eq 100 ] || fail "definition '$definition': exit code $status, not 100"
    [ -f "$folder/waiting" ] || fail "definition '$definition': the spool did not wait in the folder"
done
[ ! -s "$ledger" ] || fail "a spool ran without a definition to run it with"
[ -z "$(find "$folder" -mindepth 1 ! -name waiting)" ] || fail "a scan without a definition claimed or filed"

# --- a run that leaves a process behind: later scans are not blocked by it ---
folder=$tmp/behind
mkdir "$folder"
cat >"$tmp/morvel-behind" <<EOF
#!/bin/sh
sleep 60 </dev/null >/dev/null 2>&1 &
echo \$! >>"$tmp/behind.pids"
exec "$morvel" "\$@"
EOF
chmod +x "$tmp/morvel-behind"
spool first 21 >"$folder/first"
MORVEL=$tmp/morvel-behind "$hotfolder" "$folder" 2>"$tmp/scan5.err" || fail "the scan leaving a process exited with $?"
spool second 21 >"$folder/second"
status=0
timeout 20 "$hotfolder" "$folder" 2>"$tmp/scan6.err" || status=$?
[ "$status" -eq 0 ] || fail "the scan after a run that left a process behind exited with $status"
check_filed "$folder" "done" second 0
xargs kill <"$tmp/behind.pids" 2>/dev/null || true

if [ "$failures" -gt 0 ]; then
    for f in "$tmp"/scan*.err; do echo "== ${f##*/}"; cat "$f"; done
    exit 1
fi
echo "PASS: 48 spools done, 2 failed, none twice; a stopped scan's jobs finished"

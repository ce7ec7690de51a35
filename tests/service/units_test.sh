#!/bin/sh
# The hot folder's systemd units pass "systemd-analyze verify". The service's
# ExecStart names morvel-hotfolder without a folder, which systemd finds in
# /usr/bin or /usr/local/bin once installed; here it names this tree's script.
# Usage: units_test.sh SOURCE_DIR
# Exits 77 (skipped) where systemd is not present.
set -u
source=$1
command -v systemd-analyze >/dev/null 2>&1 || {
    echo "SKIPPED: systemd-analyze is not present, the units were not verified"
    exit 77
}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvel-units.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
for unit in path service timer; do
    sed "s|^ExecStart=morvel-hotfolder |ExecStart=$source/service/morvel-hotfolder |" \
        "$source/service/systemd/morvel-hotfolder@.$unit" >"$tmp/morvel-hotfolder@.$unit"
done
grep -q "^ExecStart=/" "$tmp/morvel-hotfolder@.service" || {
    echo "FAIL: the service starts no morvel-hotfolder"
    exit 1
}
cd "$tmp" || exit 1
if ! systemd-analyze verify --man=no ./morvel-hotfolder@.path ./morvel-hotfolder@.service \
    ./morvel-hotfolder@.timer >verify.log 2>&1 || [ -s verify.log ]; then
    cat verify.log
    echo "FAIL: systemd-analyze verify reports problems"
    exit 1
fi
# Every change in the folder starts a scan (a writer's NAME.part and its rename
# one each), so the service must have no start limit: past one, systemd starts
# no scan and the path unit fails, and the folder is no longer watched.
grep -qx 'StartLimitIntervalSec=0' "$tmp/morvel-hotfolder@.service" || {
    echo "FAIL: the service has a start limit, which a few spools in a few seconds reach"
    exit 1
}
echo "PASS: the hot folder's units verify"

#!/bin/sh
# The manual pages format without a warning and have a NAME section that
# lexgrog can read. Exits 77 (skipped) when groff is missing.
set -u
dir=$1
if ! command -v groff >/dev/null 2>&1; then
    echo "SKIPPED: groff is not installed (scripts/install-deps.sh --tests installs it)"
    exit 77
fi
status=0
for page in "$dir"/*.[1-8]; do
    warnings=$(groff -man -ww -z "$page" 2>&1)
    if [ -n "$warnings" ]; then
        echo "FAIL: $page: $warnings"
        status=1
    fi
    if command -v lexgrog >/dev/null 2>&1 && ! lexgrog "$page" >/dev/null; then
        echo "FAIL: lexgrog cannot read the NAME section of $page"
        status=1
    fi
done
[ $status -eq 0 ] && echo "PASS: manual pages"
exit $status

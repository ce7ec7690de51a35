#!/bin/sh
# Runs the XML order example with the morvel binary given as $1. The picking file and
# the pick lists are copied into out/ beside this script.
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 path/to/morvel" >&2
    exit 2
fi
morvel=$1
case $morvel in
    */*) morvel=$(cd "$(dirname "$morvel")" && pwd)/$(basename "$morvel") ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
cd "$here" || exit 1

rm -rf out
mkdir out
VAVIRIRODI=$here/out "$morvel" -s -l out/orders.log orders.def orders.xml
status=$?
if [ $status -ne 0 ]; then
    echo "morvel failed with exit code $status; its log:" >&2
    cat out/orders.log >&2
    exit $status
fi
echo "Picking file: $here/out/picking.xml"
echo "Pick lists:   $here/out/picklists.txt"
echo "Log:          $here/out/orders.log"

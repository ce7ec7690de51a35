#!/bin/sh
# Runs the shipping label example with the morvel binary given as $1. The printer
# job of all pages is copied to out/labels.pcl beside this script.
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
VAVIRIRODI=$here/out "$morvel" -s -l out/labels.log labels.def shipments.prn
status=$?
if [ $status -ne 0 ]; then
    echo "morvel failed with exit code $status; its log:" >&2
    cat out/labels.log >&2
    exit $status
fi
echo "Printer job (PCL): $here/out/labels.pcl"
echo "Log:               $here/out/labels.log"

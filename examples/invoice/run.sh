#!/bin/sh
# Runs the invoice example with the morvel binary given as $1. The definition's
# invocations copy each invoice's printer job and a text rendering of all of them
# into out/ beside this script; morvel-render ($2, by default beside morvel) then
# draws each printer job as a PDF next to it.
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 path/to/morvel" >&2
    exit 2
fi
morvel=$1
case $morvel in
    /*) ;;
    *) morvel=$(pwd)/$morvel ;;
esac
renderer=${2:-$(dirname "$morvel")/morvel-render}
case $renderer in
    /*) ;;
    *) renderer=$(pwd)/$renderer ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
cd "$here" || exit 1

rm -rf out
mkdir out
# Temporary output files go to out/ as well, so a failed run leaves nothing in /tmp.
VAVIRIRODI=$here/out "$morvel" -l out/invoice.log invoice.def invoice.prn
status=$?
if [ $status -ne 0 ]; then
    echo "morvel failed with exit code $status; its log:" >&2
    cat out/invoice.log >&2
    exit $status
fi
for f in out/invoice_*.pcl; do
    "$renderer" -o "${f%.pcl}.pdf" "$f" || {
        echo "morvel-render could not draw $f" >&2
        exit 1
    }
done
echo "Printer jobs (PCL) and how they print (PDF):"
for f in out/invoice_*.pcl; do echo "  $here/$f  $here/${f%.pcl}.pdf"; done
echo "Text rendering:"
echo "  $here/out/invoices.txt"
echo "Log:"
echo "  $here/out/invoice.log"

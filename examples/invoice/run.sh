#!/bin/sh
# Runs the invoice example with the morvel given as $1 (by default the one on
# PATH). The definition's invocations copy each invoice's printer job and a text
# rendering of all of them into out/ beside this script; morvel-render ($2, by
# default beside morvel) then draws each printer job as a PDF next to it.
definition=invoice.def spool=invoice.prn log=invoice.log options=
renderer=${2:-}
case $renderer in
    '' | /*) ;;
    *) renderer=$(pwd)/$renderer ;;
esac
after_run() {
    : "${renderer:=$(dirname "$morvel")/morvel-render}"
    for f in out/invoice_*.pcl; do
        "$renderer" -o "${f%.pcl}.pdf" "$f" || {
            echo "morvel-render could not draw $f" >&2
            return 1
        }
    done
}
report() {
    echo "Printer jobs (PCL) and how they print (PDF):"
    for f in out/invoice_*.pcl; do echo "  $here/$f  $here/${f%.pcl}.pdf"; done
    echo "Text rendering:"
    echo "  $here/out/invoices.txt"
    echo "Log:"
    echo "  $here/out/invoice.log"
}
# The shared part: beside the examples, or installed with them beside morvel.
common=$(dirname "$0")/../run-example.sh
[ -f "$common" ] || common=$(dirname "$(command -v "${1:-morvel}")")/../share/doc/morvel/examples/run-example.sh
[ -f "$common" ] || { echo "usage: $0 [path/to/morvel]: no run-example.sh beside the examples or beside ${1:-morvel}" >&2; exit 2; }
. "$common"

#!/bin/sh
# Runs the PDF invoices example with the morvel given as $1 (by default the one on
# PATH): each invoice of invoices.prn becomes out/invoice-<number>.pdf, written by
# morvel-render ($2, by default beside morvel), which the definition's output
# program invokes by name. The PDF files written are listed in out/pdf-files.txt.
definition=pdf_invoices.def spool=invoices.prn log=pdf_invoices.log options=-s
renderer=${2:-$(dirname "$(command -v "${1:-morvel}" || echo "${1:-morvel}")")/morvel-render}
case $renderer in
    /*) ;;
    *) renderer=$(pwd)/$renderer ;;
esac
# The definition invokes "morvel-render" by name: the one given comes first on PATH.
PATH=$(dirname "$renderer"):$PATH
export PATH
after_run() { (cd out && ls invoice-*.pdf) > out/pdf-files.txt; }
report() {
    echo "PDF files, one per invoice:"
    sed "s|^|  $here/out/|" out/pdf-files.txt
    echo "Log:"
    echo "  $here/out/$log"
}
# The shared part: beside the examples, or installed with them beside morvel.
common=$(dirname "$0")/../run-example.sh
[ -f "$common" ] || common=$(dirname "$(command -v "${1:-morvel}")")/../share/doc/morvel/examples/run-example.sh
[ -f "$common" ] || { echo "usage: $0 [path/to/morvel]: no run-example.sh beside the examples or beside ${1:-morvel}" >&2; exit 2; }
. "$common"

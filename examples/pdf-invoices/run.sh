#!/bin/sh
# Runs the PDF invoices example with the morvel binary given as $1: each invoice of
# invoices.prn becomes out/invoice-<number>.pdf, written by morvel-render ($2, by
# default beside morvel), which the definition's output program invokes. The names of
# the PDF files written are listed in out/pdf-files.txt.
set -u
if [ $# -lt 1 ]; then
    echo "usage: $0 path/to/morvel [path/to/morvel-render]" >&2
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
# The definition invokes "morvel-render" by name: the one given comes first on the PATH.
PATH=$(dirname "$renderer"):$PATH
export PATH
VAVIRIRODI=$here/out "$morvel" -s -l out/pdf_invoices.log pdf_invoices.def invoices.prn
status=$?
if [ $status -ne 0 ]; then
    echo "morvel failed with exit code $status; its log:" >&2
    cat out/pdf_invoices.log >&2
    exit $status
fi
(cd out && ls invoice-*.pdf) > out/pdf-files.txt
echo "PDF files, one per invoice:"
sed "s|^|  $here/out/|" out/pdf-files.txt
echo "Log:"
echo "  $here/out/pdf_invoices.log"

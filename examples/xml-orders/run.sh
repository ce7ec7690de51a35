#!/bin/sh
# Runs the XML order example with the morvel given as $1 (by default the one on
# PATH). The picking file and the pick lists are copied into out/ beside this
# script.
definition=orders.def spool=orders.xml log=orders.log options=-s
results='Picking file: picking.xml
Pick lists: picklists.txt'
# The shared part: beside the examples, or installed with them beside morvel.
common=$(dirname "$0")/../run-example.sh
[ -f "$common" ] || common=$(dirname "$(command -v "${1:-morvel}")")/../share/doc/morvel/examples/run-example.sh
[ -f "$common" ] || { echo "usage: $0 [path/to/morvel]: no run-example.sh beside the examples or beside ${1:-morvel}" >&2; exit 2; }
. "$common"

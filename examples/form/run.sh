#!/bin/sh
# Runs the delivery note example with the morvel given as $1 (by default the one
# on PATH). The printer job of all pages is copied to out/delivery_notes.pcl
# beside this script.
definition=delivery.def spool=deliveries.prn log=delivery.log options=-s
results='Printer job (PCL): delivery_notes.pcl'
# The shared part: beside the examples, or installed with them beside morvel.
common=$(dirname "$0")/../run-example.sh
[ -f "$common" ] || common=$(dirname "$(command -v "${1:-morvel}")")/../share/doc/morvel/examples/run-example.sh
[ -f "$common" ] || { echo "usage: $0 [path/to/morvel]: no run-example.sh beside the examples or beside ${1:-morvel}" >&2; exit 2; }
. "$common"

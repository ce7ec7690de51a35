# The part every example's run.sh shares; run.sh sets definition, spool, log,
# options (words passed to morvel before them) and results (lines "what: file"
# naming the files in out/ to tell the user about), may define after_run (more
# work on out/) and report (its own account instead of results), then reads
# this file with ".". Usage of every run.sh:
#
#   ./run.sh [path/to/morvel]      (without it: the morvel on PATH)
#
# The run writes into out/ beside run.sh, its temporary files included, so a
# failed run leaves nothing in /tmp.
set -u
morvel=${1:-morvel}
case $morvel in
    */*) morvel=$(cd "$(dirname "$morvel")" && pwd)/$(basename "$morvel") ;;
    *) if found=$(command -v "$morvel"); then
           morvel=$found
       elif [ -x "$morvel" ]; then
           morvel=$(pwd)/$morvel
       else
           echo "usage: $0 [path/to/morvel]: there is no $morvel on PATH" >&2
           exit 2
       fi ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
cd "$here" || exit 1

rm -rf out
mkdir out
# shellcheck disable=SC2086 # options are words on purpose
VAVIRIRODI=$here/out "$morvel" $options -l "out/$log" "$definition" "$spool"
status=$?
if [ $status -ne 0 ]; then
    echo "morvel failed with exit code $status; its log:" >&2
    cat "out/$log" >&2
    exit $status
fi
if type after_run >/dev/null 2>&1; then
    after_run || exit 1
fi
if type report >/dev/null 2>&1; then
    report
else
    # Each "what: file" line, and the log, with the paths lined up.
    printf '%s\nLog: %s\n' "$results" "$log" | awk -v out="$here/out" '
        { what[NR] = substr($0, 1, index($0, ":")); file[NR] = substr($0, index($0, ":") + 2)
          if (length(what[NR]) > width) width = length(what[NR]) }
        END { for (i = 1; i <= NR; i++) printf "%-*s %s/%s\n", width, what[i], out, file[i] }'
fi

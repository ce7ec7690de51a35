# The part every example's run.sh shares; run.sh sets definition, spool, log and
# options (words passed to morvel before them), defines report (what to tell the
# user after a good run) and may define after_run (more work on out/), then
# reads this file with ".". Usage of every run.sh:
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
report

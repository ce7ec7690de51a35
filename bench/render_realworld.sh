#!/usr/bin/env bash
# Scores morvel-render on a folder of real-world jobs (NAME/job.pcl with reference
# NAME/page-N.png at 100 dpi): one line per page, "NAME page-N score recall precision".
# usage: bench/render_realworld.sh BINARY JOBS_DIR COMPARE.py [MIN]
set -uo pipefail
BIN=$1; DIR=$2; COMPARE=$3; MIN=${4:-0.95}
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT
pass=0; total=0
for job in "$DIR"/*/; do
  name=$(basename "$job")
  [ -f "$job/job.pcl" ] || continue
  mkdir -p "$W/$name"
  "$BIN" -r 100 -o "$W/$name/page-%d.png" "$job/job.pcl" 2>"$W/$name/problems" >/dev/null
  for ref in "$job"/page-*.png; do
    page=$(basename "$ref")
    total=$((total + 1))
    if [ -f "$W/$name/$page" ]; then
      line=$(python3 "$COMPARE" --min "$MIN" "$ref" "$W/$name/$page") && pass=$((pass + 1))
    else
      line="missing"
    fi
    printf '%-22s %-11s %s\n' "$name" "$page" "$line"
  done
done
echo "pages at or above $MIN: $pass of $total"

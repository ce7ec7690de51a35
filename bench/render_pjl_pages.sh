#!/usr/bin/env bash
# Times morvel-render on a job of PAGES PJL-wrapped pages (a one-page PJL job repeated,
# as a spooler concatenates driver output), to PDF and to PNG at 100 dpi, and the
# reference interpreter on the same job and outputs when one is given or is on the PATH
# as gpcl6, with the ratio of the times.
# usage: bench/render_pjl_pages.sh BINARY ONE_PAGE_JOB [PAGES] [REFERENCE_BINARY]
set -euo pipefail
BIN=$1; ONE=$2; PAGES=${3:-50}; REF=${4:-$(command -v gpcl6 || true)}
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT
for _ in $(seq "$PAGES"); do cat "$ONE"; done > "$W/job.pcl"
echo "job: $PAGES pages, $(stat -c %s "$W/job.pcl") bytes"
# run NAME COMMAND...: prints "NAME: S s, KB KB" and keeps the seconds in $W/NAME.s
run() {
  local name=$1; shift
  /usr/bin/time -f "%e %M" -o "$W/time" "$@" >/dev/null 2>"$W/stderr" || true
  read -r secs kb < <(tail -1 "$W/time")
  echo "$secs" > "$W/$name.s"
  printf '%-26s %6.2f s  %8d KB\n' "$name:" "$secs" "$kb"
}
run "morvel-render to PDF" "$BIN" -o "$W/out.pdf" "$W/job.pcl"
run "morvel-render to PNG" "$BIN" -r 100 -o "$W/p-%d.png" "$W/job.pcl"
echo "pages written: $(ls "$W"/p-*.png | wc -l)"
if [ -n "$REF" ]; then
  run "reference to PDF" "$REF" -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile="$W/ref.pdf" "$W/job.pcl"
  run "reference to PNG" "$REF" -dNOPAUSE -dBATCH -sDEVICE=png16m -r100 -dTextAlphaBits=4 \
    -dGraphicsAlphaBits=4 -sOutputFile="$W/r-%d.png" "$W/job.pcl"
  echo "reference pages written: $(ls "$W"/r-*.png 2>/dev/null | wc -l)"
  for out in PDF PNG; do
    awk -v m="$(cat "$W/morvel-render to $out.s")" -v r="$(cat "$W/reference to $out.s")" -v o="$out" \
      'BEGIN { if (m > 0) printf "to %s: morvel-render takes %.2f of the reference time (%.1f times as fast)\n", o, m / r, r / m; }'
  done
fi

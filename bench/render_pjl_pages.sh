#!/usr/bin/env bash
# Times morvel-render on a job of PAGES PJL-wrapped pages (a one-page PJL job repeated,
# as a spooler concatenates driver output), to PDF and to PNG at 100 dpi, and the
# reference interpreter on the same job when one is given.
# usage: bench/render_pjl_pages.sh BINARY ONE_PAGE_JOB [PAGES] [REFERENCE_BINARY]
set -euo pipefail
BIN=$1; ONE=$2; PAGES=${3:-50}; REF=${4:-}
W=$(mktemp -d); trap 'rm -rf "$W"' EXIT
for _ in $(seq "$PAGES"); do cat "$ONE"; done > "$W/job.pcl"
echo "job: $PAGES pages, $(stat -c %s "$W/job.pcl") bytes"
/usr/bin/time -f "morvel-render to PDF: %e s, %M KB" "$BIN" -o "$W/out.pdf" "$W/job.pcl"
/usr/bin/time -f "morvel-render to PNG: %e s, %M KB" "$BIN" -r 100 -o "$W/p-%d.png" "$W/job.pcl"
if [ -n "$REF" ]; then
  /usr/bin/time -f "reference to PDF: %e s, %M KB" "$REF" -dNOPAUSE -dBATCH -sDEVICE=pdfwrite \
    -sOutputFile="$W/ref.pdf" "$W/job.pcl" >/dev/null
fi
echo "pages written: $(ls "$W"/p-*.png | wc -l)"

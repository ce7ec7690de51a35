#!/usr/bin/env bash
# Installs the build tools if needed, builds Morvel and runs the bundled example job.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target morvel morvel-render
cd examples/invoice
exec ./run.sh ../../build/morvel ../../build/morvel-render

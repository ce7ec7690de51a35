#!/usr/bin/env bash
# Fails when clang-format (with the project's .clang-format) would change a C++ file.
# "--fix" rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h' 'bench/*.cpp' 'bench/*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "format: ${#files[@]} files as clang-format writes them"

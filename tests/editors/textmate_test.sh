#!/bin/sh
# The VS Code grammar gives each token class of a definition its scope
# (every_token.test.mdef holds the expected scopes). The test tool is an npm package,
# installed by scripts/install-deps.sh --tests into build-tools/; exits 77 (skipped)
# when it or node is missing.
set -u
src=$1
tool="${MORVEL_TOOLS_DIR:-$src/build-tools}/node_modules/.bin/vscode-tmgrammar-test"
if ! command -v node >/dev/null 2>&1 || [ ! -x "$tool" ]; then
    echo "SKIPPED: node or vscode-tmgrammar-test is missing (scripts/install-deps.sh --tests installs them)"
    exit 77
fi
cd "$src" || exit 1
"$tool" --config editors/vscode/package.json tests/editors/every_token.test.mdef

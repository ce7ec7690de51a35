#!/bin/sh
# Neovim's own LSP client on morvel-lsp (tests/lsp/nvim_lsp_test.lua).
# Usage: nvim_lsp_test.sh MORVEL_LSP SOURCE_DIR. Skips (77) without nvim.
set -u
lsp=$1
src=$2
command -v nvim >/dev/null 2>&1 || { echo "nvim not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed 's/^    MESSAGE=150,230/    MESAGE=150,230/' "$src/tests/language/data/check_payslip.def" >"$dir/payslip.def"
HOME=$dir XDG_CONFIG_HOME=$dir XDG_DATA_HOME=$dir XDG_STATE_HOME=$dir \
MORVEL_LSP=$lsp MORVEL_DEF=$dir/payslip.def MORVEL_OUT=$dir/result \
    timeout 60 nvim --headless --clean -n -i NONE -c "luafile $src/tests/lsp/nvim_lsp_test.lua" \
    </dev/null >"$dir/console" 2>&1
code=$?
if [ "$(cat "$dir/result" 2>/dev/null)" = "PASS" ]; then
    echo "Neovim: diagnostic, hover and completion as expected"
    exit 0
fi
echo "nvim exit $code"
cat "$dir/result" 2>/dev/null
cat "$dir/console"
exit 1

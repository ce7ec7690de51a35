#!/bin/sh
# The Vim files load without an error in Vim and Neovim (whichever are installed),
# detect and colour a definition, and read morvel --check messages into the quickfix
# list. Exits 77 (skipped) when neither editor is installed.
set -u
src=$1
editors=""
command -v vim >/dev/null 2>&1 && editors="$editors vim"
command -v nvim >/dev/null 2>&1 && editors="$editors nvim"
if [ -z "$editors" ]; then
    echo "SKIPPED: neither vim nor nvim is installed (scripts/install-deps.sh --tests installs them)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src/tests/editors/every_token.test.mdef" "$work/payslip.def"
# A stand-in for morvel --check, which reports on standard error.
mkdir "$work/bin"
cat >"$work/bin/morvel" <<'STUB'
#!/bin/sh
[ "$1" = "--check" ] || exit 2
{
    echo "$2:12:5: error: MESAGE is not a setting or statement known here"
    echo "$2:12:1: note: Missing } at line 12 of $2"
    echo "$2:3:7: warning: slip defined but not used, at line 3"
} >&2
exit 1
STUB
chmod +x "$work/bin/morvel"
printf 'DEFINITION MODULE Stack;\nPROCEDURE Push(x: INTEGER);\nEND Stack.\n' >"$work/stack.def"
status=0
for editor in $editors; do
    result="$work/$editor.result"
    rm -f "$result"
    MORVEL_SAMPLE="$work/payslip.def" MORVEL_OTHER="$work/stack.def" MORVEL_VIM_RESULT="$result" \
        HOME="$work" PATH="$work/bin:$PATH" timeout 60 "$editor" -N -u NONE -i NONE -n -es \
        --cmd "set rtp^=$src/editors/vim" -S "$src/tests/editors/vim_test.vim" </dev/null >/dev/null 2>&1
    if [ ! -f "$result" ]; then
        echo "FAIL: $editor did not finish the checks"
        status=1
    elif [ -s "$result" ]; then
        sed "s/^/$editor: /" "$result"
        status=1
    else
        echo "PASS: $editor"
    fi
done
exit $status

#!/bin/sh
# Builds the Debian package of a build tree with CPack, unpacks it into a
# temporary root and runs the installed morvel: its usage text and every
# installed example, whose outputs must match the expected ones byte for byte.
# With lintian present the package must also have no lintian errors.
# Usage: package_test.sh BUILD_DIR VERSION
# Exits 77 (skipped) when the Debian packaging tools are missing.
set -u
build=$1
version=$2

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIPPED: $tool is not installed (scripts/install-deps.sh --tests installs it)"
        exit 77
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvel-package.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

(cd "$build" && cpack -G DEB -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1) || {
    cat "$tmp/cpack.log"
    fail "cpack -G DEB failed"
}
arch=$(dpkg --print-architecture)
deb=$tmp/cpack/morvel_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$tmp/cpack"; fail "no package named ${deb##*/}"; }

# Dependencies come from dpkg-shlibdeps: the C library and Expat at least.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libexpat1; do
    case $depends in
        *"$lib "* | *"$lib," | *"$lib") ;;
        *) fail "Depends lacks $lib" ;;
    esac
done
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no Description"

root=$tmp/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
morvel=$root/usr/bin/morvel
[ -x "$morvel" ] || fail "usr/bin/morvel is missing"
for f in usr/share/man/man1/morvel.1.gz usr/share/doc/morvel/copyright \
         usr/share/doc/morvel/changelog.gz usr/share/man/man8/morvel-cups.8.gz \
         usr/share/vim/vimfiles/syntax/morvel.vim usr/share/vim/vimfiles/ftdetect/morvel.vim \
         usr/share/vim/vimfiles/compiler/morvel.vim usr/share/vim/vimfiles/ftplugin/morvel.vim \
         usr/share/nvim/site/ftdetect/morvel.vim usr/share/emacs/site-lisp/morvel-mode.el usr/share/morvel/vscode/package.json \
         usr/share/morvel/vscode/syntaxes/morvel.tmLanguage.json; do
    [ -f "$root/$f" ] || fail "$f is missing"
done
# The print filter's definition folder, root's and writable by root only.
if [ -e "$root/usr/lib/cups/filter/morvel-cups" ]; then
    [ "$(dpkg-deb -c "$deb" | awk '$6 == "./etc/morvel/cups/" { print $1, $2 }')" = \
      "drwxr-xr-x root/root" ] || fail "etc/morvel/cups is missing or not root's 0755"
fi

"$morvel" -h >"$tmp/usage" 2>&1 || fail "morvel -h exited with $?"
head -n 1 "$tmp/usage" | grep -q "Version 5.0(2020.1), Build 000.000" ||
    fail "unexpected usage text: $(head -n 1 "$tmp/usage")"

# The installed examples run from a copy of their folder as they stand: run.sh
# without an argument takes the morvel on PATH, the installed one here.
count=0
for example in "$root"/usr/share/doc/morvel/examples/*/; do
    name=$(basename "$example")
    [ -d "$example/expected" ] || continue
    cp -r "$example" "$tmp/$name"
    if ! (cd "$tmp/$name" && PATH=$root/usr/bin:$PATH ./run.sh >"$tmp/$name.console" 2>&1); then
        cat "$tmp/$name.console"
        fail "example $name failed"
    fi
    for expected in "$tmp/$name"/expected/*; do
        cmp -s "$expected" "$tmp/$name/out/${expected##*/}" ||
            fail "example $name: out/${expected##*/} differs from expected"
    done
    count=$((count + 1))
done
[ "$count" -ge 5 ] || fail "only $count examples are installed"
echo "$count installed examples ran"

if command -v lintian >/dev/null 2>&1; then
    lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1
    status=$?
    cat "$tmp/lintian.log"
    [ $status -eq 0 ] || fail "lintian reports errors"
else
    echo "lintian is not installed: the package was not checked by it"
fi
echo "PASS: ${deb##*/}"

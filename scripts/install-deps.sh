#!/usr/bin/env bash
# Installs the Debian packages that are missing: the build tools, and with
# "--tests" also the independent tools the tests compare against.
set -euo pipefail
pkgs=(cmake g++ ninja-build libexpat1-dev nlohmann-json3-dev libgtest-dev libgmock-dev pkg-config libcairo2-dev libfreetype-dev libpng-dev fonts-urw-base35)
if [ "${1:-}" = "--tests" ]; then
    # The language server test with a real client.
    pkgs+=(neovim)
    pkgs+=(python3 zbar-tools zxing-cpp-tools libtiff-tools imagemagick libxml2-utils poppler-utils)
    # The format check of CI.
    pkgs+=(clang-format)
    # The queue test: a private print server.
    pkgs+=(cups cups-client cups-bsd)
    # The package test: cpack's Debian generator with dpkg-shlibdeps, lintian,
    # and the manual-page checks.
    pkgs+=(dpkg-dev fakeroot lintian groff man-db)
    # The batch test: GNU parallel.
    pkgs+=(parallel)
    # The editor tests: Vim and Neovim load the Vim files; npm brings the TextMate
    # grammar tester. Emacs is left out for its size (its test skips).
    pkgs+=(vim neovim)
    # Debian's Node.js only where no other Node.js and npm are installed: its
    # packages conflict with an npm that came from elsewhere.
    command -v npm >/dev/null 2>&1 || pkgs+=(nodejs npm)
fi
need=()
for pkg in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    SUDO=
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -q
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
fi
# The TextMate grammar tester, into the tree's build-tools/ (tests/editors/textmate_test.sh).
if [ "${1:-}" = "--tests" ]; then
    root=$(cd "$(dirname "$0")/.." && pwd)
    tool=$root/build-tools/node_modules/.bin/vscode-tmgrammar-test
    if [ ! -x "$tool" ]; then
        npm install --prefix "$root/build-tools" --no-audit --no-fund --loglevel=error \
            vscode-tmgrammar-test@0.1.3 || echo "npm could not install vscode-tmgrammar-test; its test will skip"
    fi
fi

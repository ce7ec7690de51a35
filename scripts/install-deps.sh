#!/usr/bin/env bash
# Installs the Debian packages that are missing: the build tools, and with
# "--tests" also the independent tools the tests compare against.
set -euo pipefail
pkgs=(cmake g++ ninja-build libexpat1-dev nlohmann-json3-dev libgtest-dev libgmock-dev pkg-config libcairo2-dev libfreetype-dev fonts-urw-base35)
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
fi
need=()
for pkg in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0
SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"

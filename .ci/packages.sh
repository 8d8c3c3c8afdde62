#!/usr/bin/env bash
# CI for the packages: the Debian package (its contents, a real apt install and remove),
# `cmake --install` putting the same files in place, and the Windows installer and zip (the
# programs' resources, an install and an uninstall under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
bash cmake/install-deps.sh dpkg-dev desktop-file-utils man-db xvfb xauth procps nsis zip \
  binutils-mingw-w64-x86-64 wine wine64 fonts-wine

echo "=== packages: Debian package ==="
./package-linux.sh >/dev/null
tests/packages/linux_package.sh

staged="$(mktemp -d)"
trap 'rm -rf "$staged"' EXIT
DESTDIR="$staged" cmake --install build/linux >/dev/null
installed="$(cd "$staged" && find . -type f | sed 's|^\.||' | sort)"
packed="$(dpkg-deb --contents build/linux/quillstone_*_amd64.deb | awk '$1 !~ /^d/ {print $6}' |
  sed 's|^\.||' | sort)"
[ "$installed" = "$packed" ] || {
  echo "cmake --install and the package differ:"; diff <(echo "$installed") <(echo "$packed")
  exit 1
}
echo "cmake --install: the same $(wc -l <<<"$installed") files as the package"

echo "=== packages: Windows installer and zip ==="
./package-windows.sh >/dev/null
tests/packages/windows_installer.sh

echo "packages CI: $(($(date +%s) - started)) s"

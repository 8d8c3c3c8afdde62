#!/usr/bin/env bash
# Builds build/linux/quillstone_<version>_amd64.deb: the window and the runner in /usr/bin, the
# desktop entry, the icon and the manual page. Install it with
#   sudo apt install ./build/linux/quillstone_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")"

# dpkg-dev and file: CPack finds the package's dependencies with dpkg-shlibdeps, and picks the
# programs among the files with file(1).
bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev libxxhash-dev libsystemd-dev pkg-config libfltk1.3-dev dpkg-dev file \
  fonts-dejavu-extra

# /usr: the prefix the launcher and the desktop entry name, and the one the package installs to.
cmake --preset linux -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build --preset linux --target quillstone quillstone-run
rm -f build/linux/quillstone_*_amd64.deb
(cd build/linux && cpack -G DEB >/dev/null)
deb="$(ls build/linux/quillstone_*_amd64.deb)"
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\):/\1:/p'
dpkg-deb --contents "$deb"

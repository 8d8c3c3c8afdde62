#!/usr/bin/env bash
# Builds quillstone.exe and quillstone-run.exe for 64-bit Windows (MinGW-w64 cross build, static)
# and packs them with a short README into build/windows/quillstone-windows.zip.
set -euo pipefail
cd "$(dirname "$0")"

bash cmake/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix googletest zip

if [ ! -f app/app_main.cc ]; then
  echo "package-windows: quillstone.exe cannot be built yet: the portable app code" \
    "(app/app_main.cc) is not in this tree" >&2
  exit 1
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target quillstone quillstone-run

stage=build/windows/package/quillstone
rm -rf build/windows/package build/windows/quillstone-windows.zip
mkdir -p "$stage"
cp build/windows/quillstone.exe build/windows/quillstone-run.exe "$stage/"
# Notepad of older Windows wants CR LF.
sed 's/$/\r/' >"$stage/README.txt" <<'README'
Quillstone for Windows
======================

Keeps an incremental copy of one folder inside another: every file that is new, or newer
than its copy, is copied; nothing is ever deleted. Both programs are for 64-bit Windows and
need nothing installed beside them.

quillstone.exe
  The desktop program. Type the source and target folders, then click "Start Backup Now",
  or tick "Enable Auto Backup" to repeat the backup every interval. With "Enable Time
  Versioning" ticked, each copy about to be overwritten is first kept in a dated
  backup_YYYYMMDD_HHMMSS folder inside the target. The settings are kept in
  backup_config.dat in the folder the program is started from.

quillstone-run.exe [--time-versioning] SOURCE TARGET
quillstone-run.exe
  One backup without a window; the log goes to standard output. Without arguments it uses
  the settings in backup_config.dat in the current folder (and never writes them).
  Exit status: 0 when no file failed, 1 when any failed, 2 for a usage error.
README
(cd build/windows/package && zip -q -r ../quillstone-windows.zip quillstone)
echo "package: build/windows/quillstone-windows.zip"
unzip -l build/windows/quillstone-windows.zip

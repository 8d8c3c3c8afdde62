#!/usr/bin/env bash
# Builds quillstone.exe and quillstone-run.exe for 64-bit Windows (MinGW-w64 cross build,
# static), strips them, and packs them two ways:
#   build/windows/quillstone-setup.exe    installer (NSIS), per user, Start-menu shortcuts
#   build/windows/quillstone-windows.zip  portable: the two programs and a README
set -euo pipefail
cd "$(dirname "$0")"

bash cmake/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64-posix googletest libxxhash-dev zip nsis

cmake --preset windows >/dev/null
cmake --build --preset windows --target quillstone quillstone-run
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)"

stage=build/windows/package/quillstone
rm -rf build/windows/package build/windows/quillstone-windows.zip build/windows/quillstone-setup.exe
mkdir -p "$stage"
# The build keeps its debug information; what users get has none.
for exe in quillstone quillstone-run; do
  x86_64-w64-mingw32-strip --strip-all -o "$stage/$exe.exe" "build/windows/$exe.exe"
done
# Notepad of older Windows wants CR LF.
sed 's/$/\r/' >"$stage/README.txt" <<README
Quillstone $version for Windows
=======================$(printf '%*s' ${#version} '' | tr ' ' '=')

Keeps an incremental copy of one folder inside another: every file that is new, or newer
than its copy, is copied; nothing is ever deleted. Both programs are for 64-bit Windows 10
and 11 and need nothing installed beside them.

quillstone.exe
  The desktop program. Type the source and target folders, then click "Start Backup Now",
  or tick "Enable Auto Backup" to repeat the backup every interval. With "Enable Time
  Versioning" ticked, each copy about to be overwritten is first kept in a dated
  backup_YYYYMMDD_HHMMSS folder inside the target.

Where the settings are kept
  The window keeps its settings in backup_config.dat in the folder it is started from.
  Installed with quillstone-setup.exe, the Start-menu shortcut starts it in
  %APPDATA%\Quillstone, so they are kept there (the uninstaller leaves that folder alone).
  From this zip, unpack it into a folder you can write to, such as one in your Documents,
  and start quillstone.exe there: started from a folder it cannot write (inside the zip,
  or under Program Files) it cannot keep its settings.

quillstone-run.exe [--time-versioning] SOURCE TARGET
quillstone-run.exe
  One backup without a window; the log goes to standard output. Without arguments it uses
  the settings in backup_config.dat in the current folder (and never writes them).
  Exit status: 0 when no file failed, 1 when any failed, 2 for a usage error.
README
(cd build/windows/package && zip -q -r ../quillstone-windows.zip quillstone)

makensis -V2 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" \
  -DICON="$(realpath packaging/icons/quillstone.ico)" \
  -DOUTFILE="$(realpath build/windows)/quillstone-setup.exe" packaging/windows/quillstone.nsi

echo "package: build/windows/quillstone-windows.zip"
unzip -l build/windows/quillstone-windows.zip
echo "installer: build/windows/quillstone-setup.exe ($(stat -c %s build/windows/quillstone-setup.exe) bytes)"

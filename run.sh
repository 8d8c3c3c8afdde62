#!/usr/bin/env bash
# Builds Quillstone and starts it. Installs what is missing on Debian 12.
# For now this is the headless runner backing up a small example tree.
set -euo pipefail
cd "$(dirname "$0")"

bash cmake/install-deps.sh cmake ninja-build g++ libgtest-dev
cmake --preset linux >/dev/null
cmake --build --preset linux --target quillstone-run

example="${TMPDIR:-/tmp}/quillstone-example"
mkdir -p "$example/source/letters" "$example/source/photos"
echo "Dear reader," >"$example/source/letters/hello.txt"
echo "A list of things." >"$example/source/notes.txt"
head -c 4096 /dev/urandom >"$example/source/photos/picture.raw"

echo "Backing up $example/source into $example/target:"
./build/linux/quillstone-run --time-versioning "$example/source" "$example/target"

#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# Idempotent: nothing is fetched when everything is present.
set -euo pipefail

missing=()
for package in "$@"; do
  if [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) != *"install ok installed"* ]]; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"

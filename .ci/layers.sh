#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own. The build refuses such an
# include too (cmake/layers.cmake); this check also covers files no build compiles here.
#   app, cli -> schedule -> engine, settings -> log -> platform
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A BELOW=(
  [platform]="platform"
  [log]="log platform"
  [settings]="settings platform"
  [engine]="engine log platform"
  [schedule]="schedule engine settings log platform"
  [app]="app schedule engine settings log platform"
  [cli]="cli schedule engine settings log platform"
)

bad=0
for layer in "${!BELOW[@]}"; do
  while IFS=: read -r file line text; do
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
    # The programs' entry points are the one way up: they start the program in app/.
    [[ $file == platform/entry-* && $included == app ]] && continue
    if [[ " ${BELOW[$layer]} " != *" $included "* ]]; then
      echo "layers: $file:$line includes $included/, above $layer/" >&2
      bad=1
    fi
  done < <(grep -rnE '^\s*#\s*include\s+"[a-z_]+/' "$layer" || true)
  if grep -rnE '^\s*#\s*include\s+"\.\./' "$layer"; then
    echo "layers: relative includes reach across layers unseen" >&2
    bad=1
  fi
done
if ((bad)); then exit 1; fi
echo "layers: every include points down"

#!/usr/bin/env bash
# Fails when a file includes a header of a layer above its own. The build refuses such an
# include too (cmake/layers.cmake); this check also covers files no build compiles here.
#   ui -> app, cli -> schedule -> engine, settings -> log -> os
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A BELOW=(
  [os]="os"
  [log]="log os"
  [settings]="settings os"
  [engine]="engine log os"
  [schedule]="schedule engine settings log os"
  [app]="app schedule engine settings log os"
  [cli]="cli schedule engine settings log os"
  [ui]="ui app schedule engine settings log os"
)

bad=0
for layer in "${!BELOW[@]}"; do
  while IFS=: read -r file line text; do
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
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

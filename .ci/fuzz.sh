#!/usr/bin/env bash
# CI hook: fuzz the settings reader and the runner's arguments, 60 s each by default.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/fuzz/run.sh "${QS_FUZZ_SECONDS:-60}"

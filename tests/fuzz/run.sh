#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UBSan, then fuzzes each
# for SECONDS (default 60), starting from the corpus in tests/fuzz/corpus/<target>/. Inputs the
# fuzzer finds go to build/fuzz/corpus/, never into the sources. Fails on any crash, broken
# check or sanitizer report; a reproducer is then left in build/fuzz/artifacts/.
#   tests/fuzz/run.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}

bash cmake/install-deps.sh clang-14 libclang-rt-14-dev

out=build/fuzz
mkdir -p "$out/artifacts"
flags=(-std=c++20 -g -O1 -I. -Wall -Wextra -Werror
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

build() {
  local target=$1
  shift
  echo "=== building ${target}_fuzzer"
  clang++-14 "${flags[@]}" "tests/fuzz/${target}_fuzzer.cc" "$@" -o "$out/${target}_fuzzer"
}
build settings settings/settings_file.cc settings/settings.cc settings/utf8_text.cc settings/file_replace.cc \
  os/posix/ansi_text.cc os/posix/default_dirs.cc
build run_args cli/run_args.cc cli/run_modes.cc cli/run_options.cc cli/run_usage.cc \
  cli/run_values.cc engine/exclusions.cc engine/name_glob.cc engine/case_folding.cc \
  engine/version_retention.cc engine/typed_numbers.cc

status=0
for target in settings run_args; do
  echo "=== fuzzing ${target} for ${seconds} s"
  mkdir -p "$out/corpus/$target"
  log="$out/$target.log"
  ok=true
  "$out/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target-" "$out/corpus/$target" "tests/fuzz/corpus/$target" \
    >"$log" 2>&1 || ok=false
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if $ok; then
    echo "fuzz ${target}: passed, ${runs:-?} executions in ${seconds} s"
  else
    status=1
    tail -n 40 "$log"
    echo "fuzz ${target}: FAILED after ${runs:-?} executions; reproducer in $out/artifacts/"
  fi
done
exit $status

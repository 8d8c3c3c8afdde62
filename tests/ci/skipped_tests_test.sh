#!/usr/bin/env bash
# What ./test.sh says of the tests a run without root leaves out (tests/skipped_tests.sh), on
# the log of a real CTest run: a fault case and a GoogleTest test that need root, run as a
# user who is not root, come out with their own reasons; a test that passed, and one that
# only prints the word, do not.
#   skipped_tests_test.sh QUILLSTONE_TESTS QUILLSTONE-RUN
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
tests_binary="$(realpath "${1:?usage: $0 QUILLSTONE_TESTS QUILLSTONE-RUN}")"
runner="$(realpath "${2:?usage: $0 QUILLSTONE_TESTS QUILLSTONE-RUN}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/qs-skipped-tests.XXXXXX")"
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT

as_user=()
if [ "$(id -u)" -eq 0 ]; then as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --); fi
owner_test=PosixFileSystemTest.OwnerGroupAndSetuidAreKeptAsRoot
mkdir "$work/project"
cat >"$work/project/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(skipped NONE)
enable_testing()
add_test(NAME faults.disk_full COMMAND ${as_user[*]} bash $repo/tests/faults/disk_full.sh $runner)
set_tests_properties(faults.disk_full PROPERTIES SKIP_RETURN_CODE 77 LABELS root)
add_test(NAME $owner_test COMMAND ${as_user[*]} $tests_binary --gtest_filter=$owner_test)
set_tests_properties($owner_test PROPERTIES SKIP_REGULAR_EXPRESSION "\\\\[  SKIPPED \\\\]")
add_test(NAME passes COMMAND $tests_binary --gtest_filter=ProgressTextTest.*)
add_test(NAME says_skipped COMMAND echo "SKIPPED is only a word here")
CMAKE
(cd "$work" && cmake -S project -B build >/dev/null && ctest --test-dir build >/dev/null) ||
  true

bash "$repo/tests/skipped_tests.sh" "$work/build" >"$work/listed"
expected="  faults.disk_full: needs root (mounts tmpfs)
  $owner_test: only root may give a copy another owner"
if [ "$(cat "$work/listed")" != "$expected" ]; then
  echo "FAILED - listed:"
  cat "$work/listed"
  echo "expected:"
  echo "$expected"
  exit 1
fi
bash "$repo/tests/skipped_tests.sh" "$work/build" '^faults\.' >"$work/faults-only"
[ "$(cat "$work/faults-only")" = "  faults.disk_full: needs root (mounts tmpfs)" ] || {
  echo "FAILED - with a name pattern: $(cat "$work/faults-only")"
  exit 1
}
cat "$work/listed"
echo "skipped tests listing: PASSED"

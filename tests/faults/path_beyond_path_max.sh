#!/usr/bin/env bash
# Paths longer than PATH_MAX (4096 bytes): a source file more than 5000 bytes below the
# source root, and a short source path whose copy lands beyond PATH_MAX below a long target
# root. Both must be backed up, though whole-path system calls refuse such paths
# (ENAMETOOLONG): the file system reaches them through open directories.
source "$(dirname "$0")/lib.sh"

LEVEL=$(printf 'd%.0s' $(seq 1 200))  # a 200-byte directory name
LEVELS=25                             # 25 x 201 bytes: beyond PATH_MAX below any root

# in_chain ROOT COMMAND...: makes LEVELS nested directories below ROOT one step at a time (no single
# path may be that long), then runs the rest of the arguments in the deepest one.
in_chain() {
  local root=$1
  shift
  (
    cd "$root"
    for _ in $(seq 1 $LEVELS); do
      mkdir -p "$LEVEL"
      cd "$LEVEL"
    done
    "$@"
  )
}

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC" "$DST"
in_chain "$SRC" bash -c 'echo "far below" >deep.txt'

qs_run deep "$SRC" "$DST"
qs_check "deep: the deep file is found" qs_log_has deep "] Found 1 files."
qs_check "deep: exit status 0" qs_status_is 0
qs_check "deep: the deep file arrives intact" \
  in_chain "$DST" bash -c 'test "$(cat deep.txt)" = "far below"'

# A target root just short of PATH_MAX, so the copy's own path is beyond it.
TARGET_ROOT=$WORK/t
while [ $((${#TARGET_ROOT} + 51)) -lt 4080 ]; do TARGET_ROOT+=/$(printf 't%.0s' $(seq 1 50)); done
(
  cd "$WORK"
  rel=${TARGET_ROOT#"$WORK"/}
  IFS=/ read -ra parts <<<"$rel"
  for part in "${parts[@]}"; do mkdir -p "$part" && cd "$part"; done
)
mkdir -p "$WORK/short"
echo near >"$WORK/short/a-name-that-crosses-the-limit.txt"
qs_run long-target "$WORK/short" "$TARGET_ROOT"
qs_check "long target: exit status 0" qs_status_is 0
qs_check "long target: the copy is made" \
  qs_summary_is long-target "1 copied, 0 updated, 0 skipped, 0 failed, 0"

qs_finish

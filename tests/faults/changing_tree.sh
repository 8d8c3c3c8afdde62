#!/usr/bin/env bash
# Between two runs a directory of the source becomes a file and a file becomes a directory.
# The target still has the old shapes; nothing there is ever deleted, so each clash is one
# failed file with the system's code, and the old copies stay as they were.
source "$(dirname "$0")/lib.sh"

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/was-dir"
echo inner >"$SRC/was-dir/inner.txt"
echo file >"$SRC/was-file"
echo stays >"$SRC/stays.txt"

qs_run first "$SRC" "$DST"
qs_check "first: exit status 0" qs_status_is 0
qs_check "first: three files copied" qs_summary_is first "3 copied, 0 updated, 0 skipped, 0 failed, 0"

rm -r "$SRC/was-dir"
echo "now a file" >"$SRC/was-dir"
rm "$SRC/was-file"
mkdir "$SRC/was-file"
echo below >"$SRC/was-file/below.txt"
# Later than the target directory, which the first run last changed.
touch -d "@$(($(stat -c %Y "$DST/was-dir") + 10))" "$SRC/was-dir"

qs_run second "$SRC" "$DST"
qs_check "second: exit status 1" qs_status_is 1
qs_check "second: a file cannot replace the directory (EISDIR)" \
  qs_log_has second "] CopyFile failed: $SRC/was-dir -> $DST/was-dir Error: 21 (Is a directory)"
qs_check "second: a directory cannot be made over the file (ENOTDIR)" \
  qs_log_has second "] CopyFile failed: $SRC/was-file/below.txt -> $DST/was-file/below.txt Error: 20 (Not a directory)"
qs_check "second: both count as failed, the rest is skipped" \
  qs_summary_is second "0 copied, 0 updated, 1 skipped, 2 failed, 0"
qs_check "second: the old directory and its content are kept" qs_same "$DST/was-dir/inner.txt" <(echo inner)
qs_check "second: the old file is kept" qs_same "$DST/was-file" <(echo file)
qs_check "second: no temporary file is left" qs_no_temp_files "$DST"
qs_check "second: nothing on standard error" qs_quiet second

qs_finish

#!/usr/bin/env bash
# A run as an unprivileged user over a source with an unreadable file, an unreadable
# subdirectory and a directory whose files cannot be opened, into a target with a directory
# it cannot write: each failing file is logged with its code, the run goes on, and
# everything else is copied. A source root it cannot list at all fails the run.
source "$(dirname "$0")/lib.sh"
qs_require_root "runs the runner as nobody"
qs_require_tool setpriv util-linux

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC/sub" "$SRC/locked" "$SRC/ro/inner" "$SRC/names-only" "$DST/ro"
echo a >"$SRC/a.txt"
echo b >"$SRC/sub/b.txt"
echo secret >"$SRC/secret.txt"
echo c >"$SRC/locked/c.txt"
echo d >"$SRC/ro/d.txt"
echo f >"$SRC/ro/inner/f.txt"
echo g >"$SRC/names-only/g.txt"
echo new >"$SRC/old.txt"
chmod 600 "$SRC/secret.txt"    # root's own: nobody cannot read it
chmod 700 "$SRC/locked"        # nobody cannot list it
chmod 744 "$SRC/names-only"    # nobody can read the names but open nothing below it
echo old >"$DST/old.txt"
touch -d '2021-03-04 05:06:07' "$DST/old.txt"
chown -R nobody:nogroup "$DST"
chown root:root "$DST/ro"      # nobody cannot write into it
chmod 755 "$DST/ro"

qs_run nobody --as-nobody "$SRC" "$DST"
qs_check "exit status 1" qs_status_is 1
qs_check "the unreadable file fails with EACCES" \
  qs_log_has nobody "] CopyFile failed: $SRC/secret.txt -> $DST/secret.txt Error: 13 (Permission denied)"
qs_check "a file below a directory that cannot be searched fails with EACCES" \
  qs_log_has nobody "] CopyFile failed: $SRC/names-only/g.txt -> $DST/names-only/g.txt Error: 13 (Permission denied)"
qs_check "a file into a directory that cannot be written fails with EACCES" \
  qs_log_has nobody "] CopyFile failed: $SRC/ro/d.txt -> $DST/ro/d.txt Error: 13 (Permission denied)"
qs_check "a directory that cannot be made is reported" \
  qs_log_has nobody "] Failed to create directory: $DST/ro/inner"
qs_check "and its file counts as failed" qs_log_has nobody "] [FAILED] $SRC/ro/inner/f.txt"
qs_check "every failure is counted, the rest copied and updated" \
  qs_summary_is nobody "2 copied, 1 updated, 0 skipped, 4 failed, 0"
qs_check "the readable files are copied" qs_same "$DST/a.txt" "$SRC/a.txt"
qs_check "including those below a subdirectory" qs_same "$DST/sub/b.txt" "$SRC/sub/b.txt"
qs_check "the older copy is updated" qs_same "$DST/old.txt" "$SRC/old.txt"
qs_check "nothing unreadable reached the target" \
  test ! -e "$DST/secret.txt" -a ! -e "$DST/ro/d.txt" -a ! -e "$DST/locked/c.txt"
qs_check "the run ended with its summary" qs_log_has nobody "] Backup operation completed."
qs_check "no temporary file is left" qs_no_temp_files "$DST"
qs_check "nothing on standard error" qs_quiet nobody

# A source root the user cannot list: an empty log, but not a success.
mkdir -p "$WORK/closed"
echo x >"$WORK/closed/x.txt"
chmod 700 "$WORK/closed"
qs_run closed --as-nobody "$WORK/closed" "$DST"
qs_check "closed: a source that cannot be listed fails the run" qs_status_is 1
qs_check "closed: and the log says why, with EACCES" \
  grep -qF "] Cannot list directory: $WORK/closed/ Error: 13 (Permission denied)" "$WORK/closed.out"

qs_finish

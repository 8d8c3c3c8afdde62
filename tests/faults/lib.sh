# Shared by the fault cases. Each case is run as `bash CASE.sh PATH-TO-quillstone-run`.
# It works in a scratch directory below /tmp that is always removed, mounts and all, and
# bounds every run of the runner in time. Checks count their failures and the case ends
# with "N passed, N failed"; exit 77 means the case could not run here (CTest: skipped).
set -euo pipefail

QS_RUNNER=$(readlink -f "${1:?usage: $0 PATH-TO-quillstone-run}")
QS_CASE=$(basename "$0" .sh)
QS_RUN_LIMIT=${QS_RUN_LIMIT:-120}  # seconds any one run may take before it counts as hung
QS_PASSED=0
QS_FAILED=0
QS_MOUNTS=()
QS_LOOPS=()
QS_PIDS=()
QS_RC=0

WORK=$(mktemp -d "${TMPDIR:-/tmp}/qs-faults-$QS_CASE-XXXXXX")
chmod 755 "$WORK"  # a case may run the runner as another user

qs_cleanup() {
  local pid i
  set +e
  for pid in $(cat /proc/"$QS_WATCHDOG"/task/*/children 2>/dev/null) "$QS_WATCHDOG"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${QS_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  for ((i = ${#QS_MOUNTS[@]} - 1; i >= 0; i--)); do
    umount "${QS_MOUNTS[i]}" 2>/dev/null || umount -l "${QS_MOUNTS[i]}"
  done
  for i in "${QS_LOOPS[@]}"; do losetup -d "$i" 2>/dev/null; done
  chmod -R u+rwX "$WORK" 2>/dev/null
  rm -rf "$WORK"
}
trap qs_cleanup EXIT
trap 'echo "$QS_CASE: interrupted"; exit 130' INT TERM

# The whole case is bounded too, well inside CTest's limit, so that a case stuck between runs
# still gets to clean up (CTest's own time-out would kill it without that chance).
QS_CASE_LIMIT=${QS_CASE_LIMIT:-400}
(
  sleep "$QS_CASE_LIMIT"
  echo "$QS_CASE: still running after $QS_CASE_LIMIT s, stopping"
  kill -TERM $$
) &
QS_WATCHDOG=$!

qs_skip() {
  echo "SKIPPED: $QS_CASE: $*"
  exit 77
}

qs_require_root() {
  [ "$(id -u)" -eq 0 ] || qs_skip "needs root ($*)"
}

qs_require_tool() {
  command -v "$1" >/dev/null || qs_skip "$1 is missing: bash cmake/install-deps.sh $2"
}

# qs_check WHAT COMMAND...: runs the command as one check.
qs_check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok - $what"
    QS_PASSED=$((QS_PASSED + 1))
  else
    echo "FAILED - $what"
    QS_FAILED=$((QS_FAILED + 1))
  fi
}

qs_finish() {
  echo "$QS_CASE: $QS_PASSED passed, $QS_FAILED failed"
  [ "$QS_FAILED" -eq 0 ]
}

# qs_mount_tmpfs DIR OPTIONS: a tmpfs that cleanup unmounts whatever happens.
qs_mount_tmpfs() {
  mkdir -p "$1"
  mount -t tmpfs -o "$2" qs-faults "$1"
  QS_MOUNTS+=("$1")
}

# qs_require_image KIND...: skips the case unless loop images of these kinds can be made and
# mounted here (root, the kernel driver or the FUSE program, and the mkfs tool).
qs_require_image() {
  local kind
  qs_require_root "loop images"
  for kind in "$@"; do
    case $kind in
      ext4) qs_require_tool mkfs.ext4 e2fsprogs ;;
      xfs) qs_require_tool mkfs.xfs xfsprogs; qs_require_tool xfs_io xfsprogs ;;
      btrfs) qs_require_tool mkfs.btrfs btrfs-progs ;;
      fat32) qs_require_tool mkfs.vfat dosfstools; qs_require_tool fusefat fusefat ;;
      exfat) qs_require_tool mkfs.exfat exfatprogs; qs_require_tool mount.exfat-fuse exfat-fuse ;;
      *) echo "qs_require_image: unknown kind $kind" >&2; exit 2 ;;
    esac
  done
  losetup -f >/dev/null 2>&1 || qs_skip "no free loop device"
}

# qs_mount_image KIND DIR [MIB [OPTIONS]]: makes a sparse image of a KIND file system (ext4, xfs,
# btrfs, fat32 or exfat) and mounts it at DIR, with the kernel's mount OPTIONS when given;
# cleanup unmounts it and frees its loop device. FAT32 and exFAT go through FUSE (fusefat,
# exfat-fuse): this kernel has no driver for them.
qs_mount_image() {
  local kind=$1 dir=$2 mib=${3:-} options=${4:-defaults}
  local image="$WORK/image-$kind-$(basename "$dir").img" loop
  case $kind in
    xfs) mib=${mib:-320} ;;  # the smallest XFS that mkfs.xfs makes
    btrfs) mib=${mib:-256} ;;
    *) mib=${mib:-128} ;;
  esac
  rm -f "$image"
  truncate -s "${mib}M" "$image"
  case $kind in
    ext4) mkfs.ext4 -q -F -I 256 "$image" ;;
    xfs) mkfs.xfs -q -f "$image" ;;
    btrfs) mkfs.btrfs -q -f "$image" >/dev/null ;;
    fat32) mkfs.vfat -F 32 "$image" >/dev/null ;;
    exfat) mkfs.exfat "$image" >/dev/null ;;
  esac
  mkdir -p "$dir"
  case $kind in
    fat32)
      fusefat -o rw+ "$image" "$dir" >/dev/null
      ;;
    exfat)
      loop=$(losetup -f --show "$image")
      QS_LOOPS+=("$loop")
      mount.exfat-fuse "$loop" "$dir" >/dev/null
      ;;
    *)
      loop=$(losetup -f --show "$image")
      QS_LOOPS+=("$loop")
      mount -o "$options" "$loop" "$dir"
      ;;
  esac
  QS_MOUNTS+=("$dir")
}

# qs_remount DIR: unmounts and mounts again the image mounted last at DIR (after a shutdown).
qs_remount() {
  local dir=$1 source
  source=$(findmnt -n -o SOURCE --target "$dir")
  umount "$dir"
  mount "$source" "$dir"
}

# qs_run NAME [--as-nobody] ARGS...: runs the runner, bounded in time. The log goes to
# $WORK/NAME.out and standard error to $WORK/NAME.err; the exit status is left in QS_RC.
qs_run() {
  local name=$1
  shift
  local as=()
  if [ "${1:-}" = --as-nobody ]; then
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
    shift
  fi
  set +e
  "${as[@]}" timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  QS_RC=$?
  set -e
  qs_show "$name"
}

# qs_show NAME: the start and the end of a run's log, and its standard error.
qs_show() {
  local name=$1
  echo "--- $name: exit status $QS_RC; log (first 40 lines, cut at 300 bytes):"
  head -n 40 "$WORK/$name.out" | cut -b 1-300 | sed -e 's/^/    /'
  head -n 40 "$WORK/$name.err" | cut -b 1-300 | sed -e 's/^/    stderr: /'
  local lines
  lines=$(wc -l <"$WORK/$name.out")
  if [ "$lines" -gt 40 ]; then
    echo "    ... ($lines lines in all) ..."
    tail -n 3 "$WORK/$name.out" | cut -b 1-300 | sed -e 's/^/    /'
  fi
}

# Checks of the last runs.
# qs_find_runner PID: the runner among the descendants of PID (below timeout and strace),
# once it has started.
qs_find_runner() {
  local queue pid
  for _ in $(seq 1 500); do
    queue=("$1")
    while [ ${#queue[@]} -gt 0 ]; do
      pid=${queue[0]}
      queue=("${queue[@]:1}")
      if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$QS_RUNNER" ]; then
        echo "$pid"
        return 0
      fi
      queue+=($(cat /proc/"$pid"/task/*/children 2>/dev/null))
    done
    sleep 0.01
  done
  return 1
}

qs_status_is() { [ "$QS_RC" -eq "$1" ]; }
qs_quiet() { [ ! -s "$WORK/$1.err" ]; }  # nothing on standard error: no sanitizer report either
qs_log_has() { grep -qF -- "$2" "$WORK/$1.out"; }
qs_log_lacks() { ! grep -qF -- "$2" "$WORK/$1.out"; }
qs_summary_is() { qs_log_has "$1" "] Time-based incremental backup completed: $2 time-versioned."; }

# File checks.
qs_same() { cmp -s -- "$1" "$2"; }
qs_mtime() { stat -c %.9Y -- "$1"; }
qs_same_mtime() { [ "$(qs_mtime "$1")" = "$(qs_mtime "$2")" ]; }
qs_no_temp_files() { [ -z "$(find "$1" -name '.qs-tmp-*' -print -quit)" ]; }
# Names may hold line feeds; the record of the runs in a target is not a copy.
qs_count_files() { find "$1" -path "${1%/}/.quillstone" -prune -o -type f -printf x | wc -c; }

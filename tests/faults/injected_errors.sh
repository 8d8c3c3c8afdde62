#!/usr/bin/env bash
# Errors from a real kernel at every call of a small backup. bench/slowfs is mounted over a
# folder holding both the source and the target, and answers the N-th request of one kind
# (open, read, write, fsync, rename, utimens, getdents, mkdir) with EIO, ENOSPC, EDQUOT, EROFS
# or ENAMETOOLONG, or kills the runner that sent it. A dry pass counts each kind's requests;
# the sweep then fails each of them in turn, in a first backup and in an update with time
# versioning. Each run completes, or exits 1 naming what failed (or was killed); nothing in
# the target is torn or wrongly dated, no saved version differs from what it replaced, and a
# rerun without errors ends with a complete, correct backup.
QS_CASE_LIMIT=${QS_CASE_LIMIT:-570}  # hundreds of mounts: more than the other cases need
source "$(dirname "$0")/lib.sh"
qs_require_root "FUSE mounts"
[ -c /dev/fuse ] || qs_skip "no /dev/fuse"
qs_require_tool cc gcc
qs_require_tool pkg-config pkg-config
qs_require_tool python3 python3
pkg-config --exists fuse3 || qs_skip "libfuse3 is missing: bash cmake/install-deps.sh libfuse3-dev"

SLOWFS=$WORK/slowfs
MNT=$WORK/mnt
BACKING=$WORK/backing
ACTIONS=(EIO ENOSPC EDQUOT EROFS ENAMETOOLONG kill)
KINDS=(open read write fsync rename utimens getdents mkdir)
# shellcheck disable=SC2046 # pkg-config prints several words
cc -O2 -Wall -Wextra -o "$SLOWFS" "$(dirname "$0")"/../../bench/slowfs/*.c \
  $(pkg-config --cflags --libs fuse3) || qs_skip "bench/slowfs does not build here"
mkdir -p "$MNT"

# check.py PRISTINE AFTER RC OUT BACKING RERUN_RC RERUN_OUT: the target after the run with
# the error (saved in AFTER) against what it held before (PRISTINE/dst) and the source, then
# the target after the rerun (BACKING). Prints each problem; exits 1 when there is any.
cat >"$WORK/check.py" <<'PY'
import hashlib, os, re, sys

VERSION = re.compile(r"^backup_\d{8}_\d{6}$")
pristine, after, rc, out, backing, rerun_rc, rerun_out = sys.argv[1:8]
def manifest(root):
    found = {}
    for d, _, files in os.walk(root):
        for f in files:
            path = os.path.join(d, f)
            st = os.lstat(path)
            with open(path, "rb") as data:
                found[os.path.relpath(path, root)] = (st.st_size, st.st_mtime_ns,
                                                      hashlib.sha256(data.read()).hexdigest())
    return found

def split(tree):
    current, versions = {}, {}
    for rel, copy in tree.items():
        top = rel.split("/")[0]
        # Temporary names are no copies, nor is the record of the runs (the crash sweep
        # checks that it stays whole).
        if os.path.basename(rel).startswith(".qs-tmp-") or top == ".quillstone":
            continue
        if VERSION.match(top) and "/" in rel:
            versions[rel] = copy
        else:
            current[rel] = copy
    return current, versions

source = manifest(os.path.join(pristine, "src"))
before, old_versions = split(manifest(os.path.join(pristine, "dst")))
problems = []

def check_target(root, when):
    current, versions = split(manifest(os.path.join(root, "dst")))
    if manifest(os.path.join(root, "src")) != source:
        problems.append(when + ": the source changed")
    for rel, copy in current.items():
        if copy != before.get(rel) and copy != source.get(rel):
            hashes = (before.get(rel, (0, 0, ""))[2], source.get(rel, (0, 0, ""))[2])
            what = "wrongly dated" if copy[2] in hashes else "torn"
            problems.append("%s: %s is %s: %s" % (when, rel, what, copy))
    for rel in before:
        if rel not in current:
            problems.append("%s: %s, backed up before, is gone" % (when, rel))
    for rel, copy in versions.items():
        name = rel.split("/", 1)[1]
        if rel in old_versions or name == "README.txt":
            continue
        if copy[2] != before.get(name, (0, 0, ""))[2]:
            problems.append("%s: saved version %s is not what it replaced" % (when, rel))
    return all(current.get(rel) == copy for rel, copy in source.items())

named = r"(\[[A-Z ]*(FAILED|ERROR)\]|Failed to [a-z ]*:|Cannot [a-z ]*:|Error: \d+) .*/"
rc, rerun_rc = int(rc), int(rerun_rc)
complete = check_target(after, "after the run")
if rc == 0 and not complete:
    problems.append("exit 0, yet the backup is not complete")
if rc == 1 and not re.search(named, open(out, errors="replace").read()):
    problems.append("exit 1 without a line naming what failed")
if rc not in (0, 1, 137):
    problems.append("exit status %d" % rc)
if not check_target(backing, "after the rerun") or rerun_rc != 0:
    problems.append("the rerun did not complete the backup (exit %d)" % rerun_rc)
for problem in problems:
    print("    " + problem)
sys.exit(1 if problems else 0)
PY

# A small tree: an empty file, one of 300 KiB (several reads and writes), folders two deep.
make_source() {
  local src=$1 tag=$2 i
  mkdir -p "$src/docs/deep" "$src/pics"
  printf 'alpha %s\n' "$tag" >"$src/a.txt"
  : >"$src/empty.txt"
  head -c 307200 /dev/urandom >"$src/big.bin"
  for i in 1 2; do printf 'doc %s %s\n' "$i" "$tag" >"$src/docs/d$i.txt"; done
  printf 'deep %s\n' "$tag" >"$src/docs/deep/c.txt"
  printf 'pic %s\n' "$tag" >"$src/pics/p.jpg"
  touch -d "2024-01-0${3} 10:00:00.123456789" "$src"/*.txt "$src"/big.bin "$src"/docs/*.txt \
    "$src"/docs/deep/c.txt "$src"/pics/p.jpg
}

# Each scenario's starting folder: a first backup (empty target) and an update (the target
# holds a backup of an older source, with time versioning).
mkdir -p "$WORK/first/dst" "$WORK/update"
make_source "$WORK/first/src" one 1
make_source "$WORK/update/src" one 1
qs_run seed --time-versioning "$WORK/update/src" "$WORK/update/dst" >/dev/null
rm -rf "$WORK/update/src"
make_source "$WORK/update/src" two 2
rm "$WORK/update/src/pics/p.jpg"
mkdir -p "$WORK/update/src/new" && printf 'new\n' >"$WORK/update/src/new/n.txt"

# mount_slow [FAIL]: slowfs over $BACKING at $MNT, failing as FAIL says; unmount_slow ends it.
mount_slow() {
  local opts=default_permissions,fsname=qs-inject
  [ -n "${1:-}" ] && opts+=",fail=$1"
  "$SLOWFS" -f -o "$opts" "$BACKING" "$MNT" 2>"$WORK/slowfs.err" &
  SLOWFS_PID=$!
  QS_PIDS+=("$SLOWFS_PID")
  QS_MOUNTS+=("$MNT")
  local i
  for ((i = 0; i < 200; i++)); do
    while read -r _ _ _ _ point _; do [[ $point == "$MNT" ]] && return 0; done </proc/self/mountinfo
    sleep 0.02
  done
  echo "slowfs did not mount: $(cat "$WORK/slowfs.err")"
  exit 1
}
unmount_slow() {
  umount "$MNT"
  wait "$SLOWFS_PID" || true
  unset 'QS_MOUNTS[-1]' 'QS_PIDS[-1]'
}

# run_at ROOT NAME: a backup of ROOT/src to ROOT/dst, its status in QS_RC, its log in
# $WORK/NAME.out. In a subshell of its own, so that the shell does not announce a killed run.
run_at() {
  set +e
  (timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" --time-versioning "$1/src" "$1/dst" \
    >"$WORK/$2.out" 2>"$WORK/$2.err")
  QS_RC=$?
  set -e
}

TRIED=0
BAD=0
for scenario in first update; do
  rm -rf "$BACKING" && cp -a "$WORK/$scenario" "$BACKING"
  mount_slow
  run_at "$MNT" "dry-$scenario"
  unmount_slow
  counts=$(sed -n 's/^slowfs: injectable //p' "$WORK/slowfs.err")
  echo "$scenario: requests of a clean run: $counts"
  qs_check "$scenario: a clean run on the mount completes" [ "$QS_RC" -eq 0 ]
  for kind in "${KINDS[@]}"; do
    total=$(sed -n "s/.*\\b$kind=\\([0-9]*\\).*/\\1/p" <<<"$counts")
    for ((n = 1; n <= total; n++)); do
      action=${ACTIONS[$(((n + ${#kind}) % ${#ACTIONS[@]}))]}
      # QS_INJECT_ONLY=SCENARIO:KIND:N runs that one case alone.
      [[ -n ${QS_INJECT_ONLY:-} && $QS_INJECT_ONLY != "$scenario:$kind:$n" ]] && continue
      rm -rf "$BACKING" "$WORK/after" && cp -a "$WORK/$scenario" "$BACKING"
      mount_slow "$kind:$n:$action"
      run_at "$MNT" run
      run_rc=$QS_RC
      unmount_slow
      TRIED=$((TRIED + 1))
      # The rerun goes straight to the folder below the mount: no error is injected there.
      cp -a "$BACKING" "$WORK/after"
      run_at "$BACKING" rerun
      if ! python3 "$WORK/check.py" "$WORK/$scenario" "$WORK/after" "$run_rc" "$WORK/run.out" \
        "$BACKING" "$QS_RC" "$WORK/rerun.out" >"$WORK/problems.txt"; then
        echo "FAILED - $scenario, $kind $n/$total $action (exit $run_rc):"
        cat "$WORK/problems.txt"
        grep -h -m 8 -i -e error -e fail -e cannot -e "not " "$WORK/run.out" "$WORK/run.err" |
          sed -e 's/^/    log: /' || true
        BAD=$((BAD + 1))
      fi
    done
  done
done
echo "injected errors: $TRIED runs, each with one error or kill, $BAD problems"
qs_check "every run with an injected error ends whole, and its rerun converges" [ "$BAD" -eq 0 ]
qs_check "the sweep injected errors at all" [ "$TRIED" -gt 50 ]
qs_finish

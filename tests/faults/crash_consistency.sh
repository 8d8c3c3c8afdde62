#!/usr/bin/env bash
# A crash of the machine during a backup and right after one, on XFS and ext4 loop images:
# the file system is shut down without flushing its log (xfs_io's shutdown without -f, which
# ext4 takes too), as a power cut would leave it, and mounted again; during a run, right after
# its journal was committed, as the file system does by itself every few seconds. The run
# copies hundreds of files of many sizes, some new and some updates over older copies, with
# and without time versioning. After the crash every target file is its previous copy or the
# new one, byte for byte and with its own time: never empty, torn, or new-looking with old
# data. After a run that completed (its closing lines written) every file is the new one.
# Saved versions are whole. The record of the runs (TARGET/.quillstone, checked apart from the
# copies) holds every run that completed before the crash, whole, and at most a torn end; the
# rerun reads it and appends its own run. And a rerun completes the backup.
source "$(dirname "$0")/lib.sh"
qs_require_image xfs ext4
qs_require_tool python3 python3

SRC=$WORK/src
mkdir -p "$SRC"

# crash.py STEP: the steps of a round that look at many files, each in one process.
#   prepare SRC N NEW              generation N of the source, and its manifest
#   manifest SRC NEW               the manifest alone
#   verify BEFORE NEW DST COMPLETE  the target after the crash (see verify below)
#   level NEW DST BEFORE           the target, saved versions and leftovers aside, is the
#                                  source; that part of it is what the next round starts from
# A manifest gives each file below a root as REL: size, last-write time in ns, SHA-256.
cat >"$WORK/crash.py" <<'PY'
import hashlib, json, os, random, re, sys

TEMP = re.compile(r"(^|/)\.qs-tmp-[a-z0-9]{10}$")
# How finely the runner's system keeps times (Windows: 100 ns).
STEP = int(os.environ.get("QS_TIME_STEP_NS", "1"))

def manifest(root):
    out = {}
    for d, dirs, files in os.walk(root):
        if d == root and ".quillstone" in dirs:
            dirs.remove(".quillstone")  # the record, checked on its own
        for f in files:
            path = os.path.join(d, f)
            st = os.lstat(path)
            with open(path, "rb") as data:
                digest = hashlib.sha256(data.read()).hexdigest()
            out[os.path.relpath(path, root)] = (st.st_size, st.st_mtime_ns // STEP * STEP, digest)
    return out

def save(m, path):
    with open(path, "w") as f:
        json.dump(m, f)

def load(path):
    with open(path) as f:
        return {k: tuple(v) for k, v in json.load(f).items()}

def generate(root, gen):
    """Generation 0 makes 600 files in 12 folders; each later one rewrites about half of them
    and adds 20, some in a new folder. Each file starts with "REL gN"."""
    rng = random.Random(gen)
    def size():
        r = rng.random()
        if r < 0.05: return 0
        if r < 0.45: return rng.randrange(1, 4096)
        if r < 0.90: return rng.randrange(4096, 32768)
        if r < 0.98: return rng.randrange(32768, 262144)
        return rng.randrange(1 << 20, 2 << 20)
    def write(rel):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        n = size()
        with open(path, "wb") as f:
            f.write((f"{rel} g{gen}\n".encode() + os.urandom(n))[:n])
    if gen == 0:
        for i in range(600):
            write(f"dir{i % 12:02d}/file{i:03d}.bin")
        return
    for rel in sorted(manifest(root)):
        if rng.random() < 0.5:
            write(rel)
    for i in range(20):
        write(f"dir{i % 3:02d}/new-g{gen}-{i:02d}.bin" if i < 10 else f"g{gen}/new-{i:02d}.bin")

def verify(before, new, after, complete):
    """Each copy is its old or its new version whole, with that version's time; after a
    completed run the new one. A saved version in a folder the run made is the old copy
    whole; older folders stay as they were. Leftover temporary files are allowed, and counted."""
    folders_before = {rel.split("/", 1)[0] for rel in before if rel.startswith("backup_")}
    bad = []
    counts = dict.fromkeys(["new", "old", "not there yet", "versions", "leftover temporary files"], 0)
    for rel, got in sorted(after.items()):
        if TEMP.search(rel):
            counts["leftover temporary files"] += 1
        elif rel.startswith("backup_"):
            folder, inner = rel.split("/", 1)
            if inner == "README.txt":
                continue
            want = before.get(rel) if folder in folders_before else before.get(inner)
            if got != want:
                bad.append(f"saved version {rel}: {got[:2]} is not the old copy {want and want[:2]}")
            elif folder not in folders_before:
                counts["versions"] += 1
        elif got == new.get(rel):
            counts["new"] += 1
        elif got == before.get(rel) and not complete:
            counts["old"] += 1
        else:
            what = "empty" if got[0] == 0 else "neither version"
            if got == before.get(rel):
                what = "the old copy, after a completed run"
            if rel in new and got[1] == new[rel][1]:
                what += ", with the new time"
            old_size = before[rel][0] if rel in before else None
            new_size = new[rel][0] if rel in new else None
            bad.append(f"{rel}: {what} (size {got[0]}; old {old_size}, new {new_size})")
    for rel in new:
        if rel in after:
            continue
        if complete:
            bad.append(f"{rel}: missing after a completed run")
        elif rel in before:
            bad.append(f"{rel}: the old copy is gone")
        else:
            counts["not there yet"] += 1
    for rel in before:
        if rel.startswith("backup_") and rel not in after:
            bad.append(f"saved version {rel}: gone")
    print("    after the crash: " + ", ".join(f"{v} {k}" for k, v in counts.items()))
    return bad

def level(new, dst):
    got = {k: v for k, v in dst.items() if not k.startswith("backup_") and not TEMP.search(k)}
    return [f"{rel}: not the source's" for rel in sorted(set(new) | set(got)) if new.get(rel) != got.get(rel)]

def frames(dst):
    """The frames of the record's journal that are whole in their lengths, and whether bytes
    follow the last of them (a torn end). Checksums are the runner's to check."""
    with open(os.path.join(dst, ".quillstone", "journal"), "rb") as f:
        data = f.read()
    if not data.startswith(b"QSREC01\n"):
        return -1, True
    at, count = 8, 0
    while at < len(data):
        length, shift, end = 0, 0, at + 1
        while end < len(data) and shift < 70:
            byte = data[end]
            length |= (byte & 0x7F) << shift
            shift += 7
            end += 1
            if byte < 0x80:
                break
        else:
            return count, True
        if end + length + 8 > len(data):
            return count, True
        at, count = end + length + 8, count + 1
    return count, False

def record(dst, runs, whole):
    count, torn = frames(dst)
    bad = []
    if count < runs:
        bad.append(f"the record holds {count} whole runs, {runs} completed")
    if whole and torn:
        bad.append("the record has a torn end after a run that completed")
    print(f"    record: {count} runs" + (", a torn end" if torn else ""))
    return bad

def report(bad):
    for line in bad[:10]:
        print("    " + line)
    if len(bad) > 10:
        print(f"    ... {len(bad)} in all")
    sys.exit(1 if bad else 0)

step, args = sys.argv[1], sys.argv[2:]
if step == "prepare":
    generate(args[0], int(args[1]))
    save(manifest(args[0]), args[2])
elif step == "manifest":
    save(manifest(args[0]), args[1])
elif step == "verify":
    report(verify(load(args[0]), load(args[1]), manifest(args[2]), args[3] == "1"))
elif step == "record":
    report(record(args[0], int(args[1]), args[2] == "1"))
elif step == "level":
    dst = manifest(args[1])
    save({k: v for k, v in dst.items() if not k.startswith("backup_") and not TEMP.search(k)}, args[2])
    report(level(load(args[0]), dst))
PY

GENERATION=0
python3 "$WORK/crash.py" prepare "$SRC" 0 /dev/null

# shut_down [commit]: shuts the file system down without flushing its log. With "commit",
# first commits its journal, as the file system does by itself every few seconds (an fsync of
# a file of its own forces that, and writes no other file's data): a power cut right after a
# commit, when the names the run has put in place are on the disk, so their data must be
# too. Without, only what the run itself made durable survives. SHUT is when, in ms.
shut_down() {
  local commands='shutdown\nquit\n'
  [ "${1:-}" != commit ] || commands="pwrite -q 0 4096\nfsync\n$commands"
  printf "$commands" >&"${SHUTTER[1]}"
  wait "$SHUTTER_PID"
  shut=$((($(date +%s%N) - started) / 1000000))
  [ ! -s "$WORK/$name.xfs_io" ] || { cat "$WORK/$name.xfs_io"; exit 1; }
}

# crash KIND MNT NAME MODE DELAY: a new generation of the source, a run over it (with time
# versioning when MODE is "versions"), and a shutdown DELAY seconds after its start, or right
# after it ends when DELAY is "after". Then the checks, and a rerun that must complete.
crash() {
  local kind=$1 mnt=$2 name=$3 mode=$4 delay=$5 args=() pid rc started took shut
  local dst=$mnt/dst
  [ "$mode" = versions ] && args=(--time-versioning)
  GENERATION=$((GENERATION + 1))
  mv "$WORK/$kind.level" "$WORK/$name.before"  # the target as the last rerun left it
  python3 "$WORK/crash.py" prepare "$SRC" "$GENERATION" "$WORK/$name.new"
  sync -f "$dst"  # the old state is on the disk before the run starts
  # xfs_io starts ahead and waits for its command: starting it at the moment would come late.
  coproc SHUTTER { exec xfs_io -x -f "$mnt/bystander" >"$WORK/$name.xfs_io" 2>&1; }
  QS_PIDS+=("$SHUTTER_PID")
  started=$(date +%s%N)
  timeout -k 5 "$QS_RUN_LIMIT" "$QS_RUNNER" "${args[@]}" "$SRC" "$dst" >"$WORK/$name.out" 2>"$WORK/$name.err" &
  pid=$!
  QS_PIDS+=("$pid")
  if [ "$delay" = after ]; then
    set +e; wait "$pid"; rc=$?; set -e
    took=$((($(date +%s%N) - started) / 1000000))
    shut_down
  else
    sleep "$delay"
    shut_down commit
    set +e; wait "$pid"; rc=$?; set -e
    took=$((($(date +%s%N) - started) / 1000000))
  fi
  QS_RC=$rc
  echo "--- $name: $mode run; shut down $shut ms after its start (planned: $delay); the run ended after $took ms with status $rc"
  LAST_RUN_MS=$took
  qs_remount "$mnt"
  # A run that wrote its closing lines before the shutdown has completed, whatever was planned.
  if [ "$rc" -eq 0 ] && qs_log_has "$name" "] Backup operation completed."; then
    qs_check "$name: after a crash that followed a completed run, every copy is the new one; versions whole" \
      python3 "$WORK/crash.py" verify "$WORK/$name".{before,new} "$dst" 1
    if qs_log_has "$name" "] The record of the runs could not be written: "; then
      # The shutdown came while the run appended its fact, and the run said so: its copies
      # are all in place, its fact may be missing or torn, what came before is whole.
      qs_check "$name: a run whose fact the shutdown cut off leaves the record's earlier runs whole" \
        python3 "$WORK/crash.py" record "$dst" "$RUNS" 0
    else
      RUNS=$((RUNS + 1))
      qs_check "$name: the record holds every completed run, this one too, whole" \
        python3 "$WORK/crash.py" record "$dst" "$RUNS" 1
    fi
  else
    qs_check "$name: the run was cut short (planned: $delay)" test "$delay" != after
    qs_check "$name: after the crash each copy is its old or new version, whole; versions whole" \
      python3 "$WORK/crash.py" verify "$WORK/$name".{before,new} "$dst" 0
    qs_check "$name: the record holds every run completed before, whole" \
      python3 "$WORK/crash.py" record "$dst" "$RUNS" 0
  fi
  qs_run "$name-rerun" "${args[@]}" "$SRC" "$dst"
  qs_check "$name: the rerun succeeds" qs_status_is 0
  qs_check "$name: the rerun writes nothing to standard error" qs_quiet "$name-rerun"
  RUNS=$((RUNS + 1))
  qs_check "$name: the rerun reads the record and appends its run" \
    python3 "$WORK/crash.py" record "$dst" "$RUNS" 1
  qs_check "$name: and says nothing of a record it cannot use" \
    qs_log_lacks "$name-rerun" "] The record of the runs cannot be read"
  qs_check "$name: nor of one it could not write" \
    qs_log_lacks "$name-rerun" "] The record of the runs could not be written"
  qs_check "$name: and leaves the target level with the source" \
    python3 "$WORK/crash.py" level "$WORK/$name.new" "$dst" "$WORK/$kind.level"
  # Checked: the saved versions go, so that each round hashes only what it made.
  rm -rf "$dst"/backup_*
}

for kind in ${QS_VOLUMES:-xfs ext4}; do
  MNT=$WORK/$kind
  qs_mount_image "$kind" "$MNT" 320
  qs_run "$kind-initial" "$SRC" "$MNT/dst"
  RUNS=1
  qs_check "$kind: the first backup succeeds" qs_status_is 0
  python3 "$WORK/crash.py" manifest "$SRC" "$WORK/source.manifest"
  qs_check "$kind: and copies the source" \
    python3 "$WORK/crash.py" level "$WORK/source.manifest" "$MNT/dst" "$WORK/$kind.level"
  crash "$kind" "$MNT" "$kind-after-plain" plain after
  full=$LAST_RUN_MS
  crash "$kind" "$MNT" "$kind-after-versions" versions after
  full=$(((full + LAST_RUN_MS) / 2))
  # Shutdowns a fifth and half way into a run as long as those two took, each mode at both
  # points over the two kinds.
  [ "$kind" = xfs ] && points=("plain 20" "versions 50") || points=("plain 50" "versions 20")
  for point in "${points[@]}"; do
    mode=${point% *}
    share=${point#* }
    delay=$(printf '%d.%03d' $((full * share / 100000)) $((full * share / 100 % 1000)))
    crash "$kind" "$MNT" "$kind-$mode-at-$share%" "$mode" "$delay"
  done
done

qs_finish

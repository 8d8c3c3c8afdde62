#!/usr/bin/env bash
# Last-write times of any year: 1900, 1969, 2038, 2300 and 9999 on btrfs and tmpfs, and on
# ext4 and XFS the years they can store (ext4 1901 to 2446, XFS with big timestamps 1901 to
# 2486). Each copy keeps its source's time to the nanosecond, an unchanged rerun skips it, and
# a source saved again one nanosecond later is updated, its old copy saved whole with its own
# time. The source and the copies kept aside live on tmpfs, which holds every year.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 xfs btrfs

qs_mount_tmpfs "$WORK/src" size=16m
qs_mount_tmpfs "$WORK/tmpfs" size=16m
qs_mount_tmpfs "$WORK/old" size=16m  # the old copies, kept aside with their times
for kind in ext4 xfs btrfs; do qs_mount_image "$kind" "$WORK/$kind"; done

# Times as "date" understands them, UTC; each is saved again 1 ns later.
WIDE=("1900-06-15 12:34:56.123456789" "1969-07-20 20:17:40.987654321" "2038-01-19 03:14:08.500000000"
      "2300-03-01 00:00:00.000000001" "9999-12-31 22:00:00.123456789")
declare -A YEARS=(
  [btrfs]="${WIDE[*]@Q}"
  [tmpfs]="${WIDE[*]@Q}"
  [ext4]="'1901-12-14 00:00:00.250000000' '1969-07-20 20:17:40.987654321' '2038-01-19 03:14:08.500000000' '2300-03-01 00:00:00.000000001' '2446-05-10 12:00:00.750000000'"
  [xfs]="'1901-12-14 00:00:00.250000000' '1969-07-20 20:17:40.987654321' '2038-01-19 03:14:08.500000000' '2300-03-01 00:00:00.000000001' '2486-07-01 12:00:00.750000000'"
)

# TIME one nanosecond later, written the same way (the times above never end a second).
one_ns_later() {
  local nanos=${1##*.}
  printf '%s.%09d\n' "${1%.*}" $((10#$nanos + 1))
}

# same_times A B NAMES...: each NAME has the same last-write time below A and B.
same_times() {
  local a=$1 b=$2 name wrong=0
  shift 2
  for name in "$@"; do
    if ! qs_same_mtime "$a/$name" "$b/$name"; then
      echo "    $name: $(qs_mtime "$a/$name") against $(qs_mtime "$b/$name")"
      wrong=$((wrong + 1))
    fi
  done
  [ "$wrong" -eq 0 ]
}

for kind in btrfs tmpfs ext4 xfs; do
  SRC=$WORK/src/$kind
  DST=$WORK/$kind/dst
  OLD=$WORK/old/$kind
  mkdir -p "$SRC" "$OLD"
  eval "times=(${YEARS[$kind]})"
  names=()
  for time in "${times[@]}"; do
    name="year-${time:0:4}.txt"
    names+=("$name")
    echo "$kind, $time" >"$SRC/$name"
    touch -d "$time UTC" "$SRC/$name"
    # The source must hold the time for the case to mean anything.
    [ "$(date -u -d "@$(qs_mtime "$SRC/$name")" '+%Y-%m-%d %H:%M:%S.%N')" = "$time" ] ||
      { echo "tmpfs did not keep $time"; exit 1; }
  done
  n=${#names[@]}

  qs_run "$kind-first" "$SRC" "$DST"
  qs_check "$kind: every file is copied" qs_summary_is "$kind-first" "$n copied, 0 updated, 0 skipped, 0 failed, 0"
  qs_check "$kind: each copy keeps its time to the nanosecond" same_times "$SRC" "$DST" "${names[@]}"
  qs_check "$kind: nothing on standard error" qs_quiet "$kind-first"

  qs_run "$kind-unchanged" "$SRC" "$DST"
  qs_check "$kind: an unchanged rerun skips every file" \
    qs_summary_is "$kind-unchanged" "0 copied, 0 updated, $n skipped, 0 failed, 0"
  qs_check "$kind: exit status 0" qs_status_is 0

  cp -p "$DST"/* "$OLD/"
  for i in "${!times[@]}"; do
    echo "$kind, ${times[i]}, saved again" >"$SRC/${names[i]}"
    touch -d "$(one_ns_later "${times[i]}") UTC" "$SRC/${names[i]}"
  done
  qs_run "$kind-newer" --time-versioning "$SRC" "$DST"
  qs_check "$kind: sources saved again 1 ns later are updated, old copies kept" \
    qs_summary_is "$kind-newer" "0 copied, $n updated, 0 skipped, 0 failed, $n"
  qs_check "$kind: the updates hold the new data" diff -r -x .quillstone -x 'backup_*' "$SRC" "$DST"
  qs_check "$kind: with their sources' times" same_times "$SRC" "$DST" "${names[@]}"
  versions=$(sed -n 's/.*=== Time version location: \(.*\) ===$/\1/p' "$WORK/$kind-newer.out")
  qs_check "$kind: the saved versions hold the old data" \
    diff -r -x .quillstone -x README.txt "$OLD" "${versions:-/nonexistent}"
  qs_check "$kind: with the old copies' times" same_times "$OLD" "${versions:-/nonexistent}" "${names[@]}"

  qs_run "$kind-again" "$SRC" "$DST"
  qs_check "$kind: a rerun after the update skips every file" \
    qs_summary_is "$kind-again" "0 copied, 0 updated, $n skipped, 0 failed, 0"
done

qs_finish

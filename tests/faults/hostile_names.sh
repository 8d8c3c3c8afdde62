#!/usr/bin/env bash
# Hostile names and shapes: blanks, non-UTF-8 bytes, a line feed, glob and format characters,
# a 255-byte name, names like the runner's own temporary copies, a tree 200 levels deep,
# directory-link cycles, a link out of the tree, and a pipe, a socket and a device among the
# files. Every file arrives byte for byte under the same name; the special entries are left
# out and hang nothing; the run succeeds.
source "$(dirname "$0")/lib.sh"
qs_require_tool python3 python3

SRC=$WORK/src
DST=$WORK/dst
mkdir -p "$SRC"
EXPECTED=()  # relative paths of the files that must arrive

add_file() {
  mkdir -p "$(dirname "$SRC/$1")"
  printf 'content of %s\n' "$1" >"$SRC/$1"
  EXPECTED+=("$1")
}

add_file "with space.txt"
add_file "  leading and trailing blanks  "
add_file $'latin1-caf\xe9-\xff\xfe.bin'
add_file $'line\nfeed.txt'
add_file $'tab\there'
add_file 'back\slash and *?[glob] %s%n $(not run)'
add_file '-starts-with-dash'
add_file '.hidden'
add_file $'dir with \xe9 blanks /inner file '
add_file "$(printf 'n%.0s' $(seq 1 251)).txt"  # 255 bytes, the most a name can have
# Named like the runner's own temporary copies: a user's files all the same.
add_file '.qs-tmp-a1b2c3d4e5'
add_file 'sub/.qs-tmp-0123456789'

# 200 levels, each name as long as lets the deepest path still fit in PATH_MAX (4096 bytes
# with the terminating zero) below both roots.
bottom=bottom.txt
name_length=$(((4095 - ${#DST} - 1 - ${#bottom}) / 200 - 1))
deep=""
for i in $(seq -w 1 200); do
  name="level-$i-$(printf 'x%.0s' $(seq 1 $((name_length - 10))))"
  deep+="$name/"
done
add_file "${deep}$bottom"
DEEP_PATH="$DST/${deep}$bottom"

# Links: a cycle back to the root and to the directory itself, and a way out of the tree.
mkdir -p "$SRC/loop" "$WORK/outside/more"
ln -s .. "$SRC/loop/back-to-root"
ln -s . "$SRC/loop/self"
ln -s "$SRC" "$SRC/loop/absolute-root"
echo outside >"$WORK/outside/more/o.txt"
ln -s "$WORK/outside" "$SRC/outside-link"
EXPECTED+=("outside-link/more/o.txt")

# Entries without data: they must be left out, not opened and waited on.
mkfifo "$SRC/pipe"
ln -s pipe "$SRC/link-to-pipe"
ln -s /dev/zero "$SRC/link-to-endless-device"  # copied, it would fill the disk
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$SRC/socket"
if [ "$(id -u)" -eq 0 ]; then mknod "$SRC/device" c 1 3; fi

qs_run hostile "$SRC" "$DST"
qs_check "exit status 0 (and no hang)" qs_status_is 0
qs_check "the scan finds exactly the files" qs_log_has hostile "] Found ${#EXPECTED[@]} files."
qs_check "every file is copied" \
  qs_summary_is hostile "${#EXPECTED[@]} copied, 0 updated, 0 skipped, 0 failed, 0"
missing=0
for rel in "${EXPECTED[@]}"; do
  if ! qs_same "$SRC/$rel" "$DST/$rel"; then
    echo "    not copied intact: $(printf '%q' "$rel")"
    missing=$((missing + 1))
  fi
done
qs_check "each file arrives byte for byte under its own name" test "$missing" -eq 0
qs_check "the target holds nothing else" test "$(qs_count_files "$DST")" -eq "${#EXPECTED[@]}"
qs_check "pipes, sockets and devices are left out" \
  test -z "$(find "$DST" ! -type f ! -type d -print -quit)"
qs_check "the link cycle is not followed into" test ! -e "$DST/loop/back-to-root" -a ! -e "$DST/loop/self"
qs_check "the file 200 levels down keeps its time" qs_same_mtime "$DEEP_PATH" "$SRC/${deep}$bottom"
qs_check "nothing on standard error" qs_quiet hostile

qs_run again "$SRC" "$DST"
qs_check "a second run finds every file up to date" \
  qs_summary_is again "0 copied, 0 updated, ${#EXPECTED[@]} skipped, 0 failed, 0"

echo "deepest path copied: ${#DEEP_PATH} bytes, 200 levels below the target root"
qs_finish

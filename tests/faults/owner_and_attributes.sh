#!/usr/bin/env bash
# What a copy keeps besides the bytes. Run by root, copies keep their sources' owner, group
# and mode, setuid and setgid included, and their extended attributes: user.*, POSIX access
# lists and security.*. Run by a user who cannot give a copy its source's owner (nobody,
# copying files of root and of others), the copy is the user's and loses setuid and setgid;
# the user's own setuid program keeps them. On a target that holds no extended attributes
# (FAT32 and exFAT through FUSE) each file that had some gets one line "Extended attributes
# not kept: TARGET Error: 95 (Operation not supported)", and the copy still counts as done with exit status 0.
source "$(dirname "$0")/lib.sh"
qs_require_image ext4 fat32 exfat
qs_require_tool setfattr attr
qs_require_tool setfacl acl
qs_require_tool setpriv util-linux

# The attributes a copy must keep, as text: user.* and security.* values, and the access list.
attributes() {
  getfattr --absolute-names -d -m '^(user|security)\.' -e hex "$1" | sed 1d
  getfacl -c -p "$1"
}
owner_and_mode() { stat -c '%u:%g %a' "$1"; }

SRC=$WORK/src
mkdir -p "$SRC"
printf '#!/bin/sh\necho hi\n' >"$SRC/setuid-prog"
chown nobody:nogroup "$SRC/setuid-prog"
chmod 4755 "$SRC/setuid-prog"
echo tool >"$SRC/setgid-tool"
chown 1234:2345 "$SRC/setgid-tool"
chmod 2750 "$SRC/setgid-tool"
echo plain >"$SRC/plain.txt"
chown 1234:1234 "$SRC/plain.txt"
chmod 640 "$SRC/plain.txt"
echo labelled >"$SRC/attrs.txt"
setfattr -n user.color -v blue "$SRC/attrs.txt"
setfattr -n user.blob -v 0x00ff10 "$SRC/attrs.txt"
setfacl -m u:nobody:rw-,g:nogroup:r-- "$SRC/attrs.txt"
if setfattr -n security.qs-label -v sec1 "$SRC/attrs.txt" 2>/dev/null; then
  echo "security.* can be set here: it is checked too"
fi
[ -n "$(getfattr -m '^user\.' "$SRC/attrs.txt")" ] || qs_skip "the source cannot hold user.* attributes"

# 1. Root copies to ext4.
qs_mount_image ext4 "$WORK/ext4"
DST=$WORK/ext4/dst
qs_run root "$SRC" "$DST"
qs_check "root: exit status 0" qs_status_is 0
qs_check "root: every file is copied" qs_summary_is root "4 copied, 0 updated, 0 skipped, 0 failed, 0"
for name in setuid-prog setgid-tool plain.txt attrs.txt; do
  qs_check "root: $name keeps owner, group and mode ($(owner_and_mode "$SRC/$name"))" \
    test "$(owner_and_mode "$DST/$name")" = "$(owner_and_mode "$SRC/$name")"
done
qs_check "root: the extended attributes and the access list are kept" \
  diff <(attributes "$SRC/attrs.txt") <(attributes "$DST/attrs.txt")
qs_check "root: no line about attributes not kept" qs_log_lacks root "Extended attributes not kept"
qs_check "root: nothing on standard error" qs_quiet root

# 2. nobody copies files of root, of others and its own into a folder of its own.
ASIDE=$WORK/as-nobody
mkdir -p "$ASIDE/src" "$ASIDE/dst"
echo root >"$ASIDE/src/root-setuid"
chmod 4755 "$ASIDE/src/root-setuid"
echo other >"$ASIDE/src/other-setgid"
chown 1234:2345 "$ASIDE/src/other-setgid"
chmod 2755 "$ASIDE/src/other-setgid"
echo own >"$ASIDE/src/own-setuid"
chown nobody:nogroup "$ASIDE/src/own-setuid"
chmod 4755 "$ASIDE/src/own-setuid"
echo "own, foreign group" >"$ASIDE/src/own-setgid-foreign-group"
chown nobody:2345 "$ASIDE/src/own-setgid-foreign-group"
chmod 2755 "$ASIDE/src/own-setgid-foreign-group"
chown nobody:nogroup "$ASIDE/dst"
chmod 755 "$ASIDE" "$ASIDE/src"
NOBODY="$(id -u nobody):$(id -g nobody)"
qs_run nobody --as-nobody "$ASIDE/src" "$ASIDE/dst"
qs_check "nobody: exit status 0" qs_status_is 0
qs_check "nobody: every file is copied" qs_summary_is nobody "4 copied, 0 updated, 0 skipped, 0 failed, 0"
qs_check "nobody: root's setuid program becomes nobody's, without setuid" \
  test "$(owner_and_mode "$ASIDE/dst/root-setuid")" = "$NOBODY 755"
qs_check "nobody: another's setgid file becomes nobody's, without setgid" \
  test "$(owner_and_mode "$ASIDE/dst/other-setgid")" = "$NOBODY 755"
qs_check "nobody: its own setuid program keeps setuid" \
  test "$(owner_and_mode "$ASIDE/dst/own-setuid")" = "$NOBODY 4755"
qs_check "nobody: its own file of a group it is not in loses setgid" \
  test "$(owner_and_mode "$ASIDE/dst/own-setgid-foreign-group")" = "$NOBODY 755"
qs_check "nobody: nothing on standard error" qs_quiet nobody

# 3. Targets without extended attributes.
mkdir -p "$WORK/plain-src"
echo labelled >"$WORK/plain-src/attrs.txt"
setfattr -n user.color -v blue "$WORK/plain-src/attrs.txt"
setfattr -n user.shape -v round "$WORK/plain-src/attrs.txt"
setfacl -m u:nobody:rw- "$WORK/plain-src/attrs.txt"
echo bare >"$WORK/plain-src/bare.txt"
for kind in fat32 exfat; do
  qs_mount_image "$kind" "$WORK/$kind"
  DST=$WORK/$kind/dst
  qs_run "$kind" "$WORK/plain-src" "$DST"
  qs_check "$kind: exit status 0" qs_status_is 0
  qs_check "$kind: both files count as copied" qs_summary_is "$kind" "2 copied, 0 updated, 0 skipped, 0 failed, 0"
  qs_check "$kind: the file with attributes gets one line" \
    test "$(grep -cF "] Extended attributes not kept: $DST/attrs.txt Error: 95 (Operation not supported)" "$WORK/$kind.out")" -eq 1
  qs_check "$kind: and no other file does" \
    test "$(grep -c "Extended attributes not kept" "$WORK/$kind.out")" -eq 1
  qs_check "$kind: the copies hold the data" diff -r -x .quillstone "$WORK/plain-src" "$DST"
done

qs_finish

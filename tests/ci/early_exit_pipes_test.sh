#!/usr/bin/env bash
# The check of .ci/early_exit_pipes.py on small scripts: every pipe into a reader that stops
# early is found under pipefail (set there or in a sourced script), and nothing else is; then
# on the repository itself, which must hold none.
#   early_exit_pipes_test.sh   (from anywhere)
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
checker="$repo/.ci/early_exit_pipes.py"
work="$(mktemp -d "${TMPDIR:-/tmp}/qs-early-exit-pipes.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED - $*"; failed=1; }

mkdir "$work/bad" "$work/good"
# Each line that ends in "# found" must be reported, and only those.
cat >"$work/bad/manifest.sh" <<'SCRIPT'
#!/usr/bin/env bash
set -euo pipefail
strings "$1" | grep -qF -- Common-Controls || exit 1  # found
first=$(ls | head -1)  # found
deb="${1:-$(ls ./*.deb | head -n 1)}"  # found
seq 100 |  # found
  grep -m1 5
seq 100 | sed -n '/5/{p;q}'  # found
seq 100 | awk '$1 == 5 { exit }'  # found
seq 100 | IFS= read -r line  # found
seq 100 | grep -l 5  # found
if dpkg-query -W -f='${Status}' x | grep -q "install ok"; then :; fi  # found
echo "$(rsync --version | head -1 | tr -s ' ')"  # found
SCRIPT
cat >"$work/bad/lib.sh" <<'SCRIPT'
set -o pipefail
SCRIPT
cat >"$work/bad/sourcing.sh" <<'SCRIPT'
#!/usr/bin/env bash
source "$(dirname "$0")/lib.sh"
find . | head -c 10  # found
SCRIPT
cat >"$work/good/fine.sh" <<'SCRIPT'
#!/usr/bin/env bash
set -euo pipefail
strings "$1" >"$2"
grep -qF -- Common-Controls "$2"
text="$(strings "$1")"
grep -qF -- Common-Controls <<<"$text"
grep -q 'a|b' "$2" | cat
echo "a | head -1" 'b | grep -q c'
[ -s "$2" ] || head -1 "$2"
# a comment: seq 100 | head -1
cat <<'EOF'
seq 100 | head -1
EOF
(set +o pipefail; yes | head -c 10)
n=$((3 | 4))
seq 100 | grep -c 5
seq 100 | sed -n 's/5/q/p'
seq 100 | awk '{ print }'
seq 100 | while read -r line; do :; done
seq 100 >| "$2"
seq 100 | tee "$2" | wc -l
SCRIPT
cat >"$work/good/no_pipefail.sh" <<'SCRIPT'
#!/bin/sh
seq 100 | head -1
SCRIPT

python3 "$checker" "$work/bad" >"$work/bad.out" && fail "the bad scripts passed"
cat "$work/bad.out"
for script in manifest sourcing; do
  expected="$(grep -n '# found$' "$work/bad/$script.sh" | cut -d: -f1 | tr '\n' ' ')"
  reported="$(sed -n "s|^$work/bad/$script.sh:\([0-9]*\):.*|\1|p" "$work/bad.out" | tr '\n' ' ')"
  [ "$expected" = "$reported" ] ||
    fail "$script.sh: lines '$reported' reported, '$expected' expected"
done

python3 "$checker" "$work/good" >"$work/good.out" || fail "fine scripts were reported"
cat "$work/good.out"

(cd "$repo" && python3 "$checker") >"$work/repo.out" || fail "the repository holds such pipes"
cat "$work/repo.out"

if ((failed)); then exit 1; fi
echo "early-exit pipes check: PASSED"

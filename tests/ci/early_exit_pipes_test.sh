#!/usr/bin/env bash
# The check of .ci/early_exit_pipes.py on small scripts: every pipe into a reader that stops
# early is found under pipefail (set there or in a sourced script), and nothing else is; then
# on the repository itself, which must hold none.
#   early_exit_pipes_test.sh   (from anywhere)
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
checker="$repo/.ci/early_exit_pipes.py"
# The scripts checked, kept as text so that no scan of the repository takes them for its own.
fixtures="$repo/tests/ci/early_exit_pipes"
work="$(mktemp -d "${TMPDIR:-/tmp}/qs-early-exit-pipes.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED - $*"; failed=1; }

mkdir "$work/bad" "$work/good"
# Each line that ends in "# found" must be reported, and only those.
{ echo "#!/usr/bin/env bash"; cat "$fixtures/bad-manifest.sh.txt"; } >"$work/bad/manifest.sh"
{ echo "#!/usr/bin/env bash"; cat "$fixtures/bad-lib.sh.txt"; } >"$work/bad/lib.sh"
{ echo "#!/usr/bin/env bash"; cat "$fixtures/bad-sourcing.sh.txt"; } >"$work/bad/sourcing.sh"
{ echo "#!/usr/bin/env bash"; cat "$fixtures/good-fine.sh.txt"; } >"$work/good/fine.sh"
{ echo "#!/usr/bin/env bash"; cat "$fixtures/good-no_pipefail.sh.txt"; } >"$work/good/no_pipefail.sh"

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

#!/usr/bin/env bash
# An update source written by tools/make-update-source.sh with a throwaway
# key: the signature verifies, the sums match, and --check-update reads it.
#   update_source.sh SOURCE_TREE PROGRAM_DIR
set -uo pipefail
tree="$1" bin="$2"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
command -v minisign >/dev/null || fail "minisign is not installed (tools/deps.sh)"
minisign -G -W -p "$work/test.pub" -s "$work/test.key" >/dev/null || fail "no key pair"
QUORVEL_BUILD_DIR="$bin" bash "$tree/tools/make-update-source.sh" "$work/src" --key "$work/test.key" >/dev/null \
  || fail "make-update-source.sh failed"
for f in Update.txt Quorvel Quorvel.zip Version.txt License.txt QV-Help.htm Sample.qvl Table-1.dat Table-2.dat \
         Table-3.dat AWWA-Standard.mtr SHA256SUMS SHA256SUMS.minisig; do
  [ -s "$work/src/$f" ] || fail "$f missing from the source"
done
cmp -s "$bin/Quorvel" "$work/src/Quorvel" || fail "program differs from the build"
(cd "$work/src" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
minisign -V -q -p "$work/test.pub" -m "$work/src/SHA256SUMS" || fail "signature does not verify"
echo tampered >> "$work/src/SHA256SUMS"
minisign -V -q -p "$work/test.pub" -m "$work/src/SHA256SUMS" 2>/dev/null && fail "tampered index verifies"

# The program folder against a source equal to it: nothing newer.
"$bin/Quorvel" --check-update --source "$work/src" > "$work/out.txt"; rc=$?
[ $rc -eq 0 ] || fail "same source: exit $rc, expected 0"
grep -q $'^Table-3\t' "$work/out.txt" || fail "no Table-3 line"
grep -q 'newer' "$work/out.txt" && fail "same source reported newer"
# A newer program version at the source.
sed -i 's/^Server Version = .*/Server Version = 9.99.9999\r/' "$work/src/Update.txt"
"$bin/Quorvel" --check-update --source "$work/src" > "$work/out.txt"; rc=$?
[ $rc -eq 100 ] || fail "newer source: exit $rc, expected 100"
grep -q $'^Quorvel\t.*\tnewer$' "$work/out.txt" || fail "program not marked newer"
# No source, an empty manifest, a usage error.
"$bin/Quorvel" --check-update --source "$work/none" >/dev/null 2>&1; rc=$?
[ $rc -eq 1 ] || fail "missing source: exit $rc, expected 1"
: > "$work/src/Update.txt"
"$bin/Quorvel" --check-update --source "$work/src" >/dev/null 2>&1; rc=$?
[ $rc -eq 1 ] || fail "empty manifest: exit $rc, expected 1"
"$bin/Quorvel" --check-update --timeout x >/dev/null 2>&1; rc=$?
[ $rc -eq 2 ] || fail "usage error: exit $rc, expected 2"
echo PASS

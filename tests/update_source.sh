#!/usr/bin/env bash
# An update source written by tools/make-update-source.sh with a throwaway
# key: the signature verifies, the sums match, --check-update reads it, and
# --update --newer brings a program folder up to it.
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
# A drive letter names nothing here: the message names the folder form.
"$bin/Quorvel" --check-update --source 'D:\update' >/dev/null 2>"$work/err.txt"; rc=$?
[ $rc -eq 1 ] || fail "drive letter: exit $rc, expected 1"
grep -q '/media/cdrom/update' "$work/err.txt" || fail "drive letter: the folder form is not named"

# The good path: a newer release of the program, Table-1 and a meter list.
QUORVEL_BUILD_DIR="$bin" bash "$tree/tools/make-update-source.sh" "$work/rel" --key "$work/test.key" >/dev/null \
  || fail "make-update-source.sh failed"
rel="$work/rel" prog="$work/program"
mkdir -p "$prog"
for f in Quorvel Table-1.dat Table-2.dat Table-3.dat AWWA-Standard.mtr AWWA-Compound.mtr AWWA-Turbine.mtr QV-Help.htm Sample.qvl; do
  cp "$bin/$f" "$prog/$f" || fail "$f missing from the build"
done
chmod 0751 "$prog/Quorvel"
cp "$work/test.pub" "$prog/Quorvel-Update.pub"
printf 'release marker' >> "$rel/Quorvel"                      # still the same ELF program, other bytes
sed -i 's#^Date: .*#Date: 01/15/2099\r#' "$rel/Table-1.dat" "$rel/AWWA-Standard.mtr"
sed -i -e 's/^Server Version = .*/Server Version = 9.99.9999\r/' -e 's#^Table-1 = .*#Table-1 = 01/15/2099\r#' \
  -e 's#^METERLIST, "AWWA-Standard.mtr", .*#METERLIST, "AWWA-Standard.mtr", 12/31/2099\r#' "$rel/Update.txt"
(cd "$rel" && rm -f SHA256SUMS SHA256SUMS.minisig &&
  find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort | xargs -d '\n' sha256sum > SHA256SUMS &&
  minisign -S -s "$work/test.key" -m SHA256SUMS -t "test release" < /dev/null >/dev/null) || fail "re-signing failed"
stamp="$(date +%m%d%y)"
"$prog/Quorvel" --update --source "$rel" --newer > "$work/update.txt" 2>&1; rc=$?
[ $rc -eq 0 ] || { cat "$work/update.txt"; fail "--update --newer: exit $rc, expected 0"; }
for f in Quorvel Table-1.dat AWWA-Standard.mtr Version.txt License.txt QV-Help.htm Sample.qvl; do
  cmp -s "$rel/$f" "$prog/$f" || fail "$f is not the source's"
  grep -q $'^replaced\t'"$f" "$work/update.txt" || fail "no line says $f was replaced"
done
cmp -s "$rel/Quorvel.zip" "$prog/Quorvel.vmf" || fail "the clip is not the source's"
cmp -s "$bin/Quorvel" "$prog/Quorvel-$stamp.bak" || fail "no backup Quorvel-$stamp.bak of the old program"
cmp -s "$bin/Table-1.dat" "$prog/Table-1-$stamp.bak" || fail "no backup Table-1-$stamp.bak"
cmp -s "$bin/AWWA-Standard.mtr" "$prog/AWWA-Standard.-$stamp.bak" || fail "no backup AWWA-Standard.-$stamp.bak"
cmp -s "$bin/Table-2.dat" "$prog/Table-2.dat" || fail "Table-2.dat was not newer but changed"
[ "$(stat -c %a "$prog/Quorvel")" = 751 ] || fail "the program lost its permissions ($(stat -c %a "$prog/Quorvel"))"
[ ! -e "$prog/.Quorvel-update-staging" ] || fail "the staging folder was left behind"
grep -q "^Plase restart Quorvel for the updates to take effect.$" "$work/update.txt" || fail "no restart message"
grep -q '^Quorvel ' <<<"$("$prog/Quorvel" --version)" || fail "the updated program does not start"
# Usage errors.
for args in "--update" "--update --newer --program" "--update --table 4" "--update --program --bogus"; do
  "$prog/Quorvel" $args --source "$rel" >/dev/null 2>&1; rc=$?
  [ $rc -eq 2 ] || fail "'$args': exit $rc, expected 2"
done
# A tampered file after signing: nothing is replaced, exit 1.
cp -a "$prog" "$work/before"
printf "' tampered\r\n" >> "$rel/Table-2.dat"
"$prog/Quorvel" --update --source "$rel" --table 2 --program > "$work/update.txt" 2>&1; rc=$?
[ $rc -eq 1 ] || fail "tampered Table-2: exit $rc, expected 1"
grep -q "Table-2.dat does not match its checksum" "$work/update.txt" || fail "tampered Table-2: not told why"
diff -r "$work/before" "$prog" >/dev/null || fail "tampered Table-2: the program folder changed"
# A manifest changed after signing (here to call Table-2 newer): nothing is replaced.
sed -i 's#^Table-2 = .*#Table-2 = 12/31/2099\r#' "$rel/Update.txt"
"$prog/Quorvel" --update --source "$rel" --newer > "$work/update.txt" 2>&1; rc=$?
[ $rc -eq 1 ] || fail "tampered Update.txt: exit $rc, expected 1"
grep -q "Update.txt does not match its checksum" "$work/update.txt" || fail "tampered Update.txt: not told why"
diff -r "$work/before" "$prog" >/dev/null || fail "tampered Update.txt: the program folder changed"
echo PASS

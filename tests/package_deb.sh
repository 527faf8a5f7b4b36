#!/usr/bin/env bash
# The Debian package made by `cpack -G DEB`: the freedesktop files in their
# places, lintian without errors, and the program running from an extracted copy.
#   package_deb.sh BUILD_DIR
set -uo pipefail
build="$1"
work="$(mktemp -d)"; trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/deps.sh)"
done
(cd "$build" && cpack -G DEB -B "$work/cpack" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(ls "$work"/cpack/quorvel_*_*.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || fail "no .deb written"
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

dpkg-deb --contents "$deb" | awk '{print $1 " " $6}' > "$work/contents"
expect() { grep -qE "^$1 \./$2\$" "$work/contents" || fail "$2 missing or with wrong mode in the package"; }
expect '-rwxr-xr-x' usr/lib/quorvel/Quorvel
expect 'lrwxrwxrwx' usr/bin/quorvel
for f in Table-1.dat Table-2.dat Table-3.dat AWWA-Standard.mtr Sample.qvl QV-Help.htm package-managed; do
  expect '-rw-r--r--' "usr/lib/quorvel/$f"
done
expect '-rw-r--r--' usr/share/applications/quorvel.desktop
expect '-rw-r--r--' usr/share/mime/packages/x-quorvel.xml
expect '-rw-r--r--' usr/share/icons/hicolor/scalable/apps/quorvel.svg
for n in 16 32 48 64 128 256; do expect '-rw-r--r--' "usr/share/icons/hicolor/${n}x${n}/apps/quorvel.png"; done
expect '-rw-r--r--' usr/share/metainfo/io.example.Quorvel.metainfo.xml
expect '-rw-r--r--' usr/share/man/man1/quorvel.1.gz
expect '-rw-r--r--' usr/share/doc/quorvel/copyright
grep -q 'libqt6core6' <<<"$(dpkg-deb -f "$deb" Depends)" || fail "dependencies not computed from the binary"

# lintian: no error (warnings and notes are printed).
lintian --allow-root "$deb" > "$work/lintian" 2>&1; rc=$?
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"
[ $rc -eq 0 ] || fail "lintian exit $rc"

# The program from an extracted copy, and its files as a desktop reads them.
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
out="$(env -u DISPLAY QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
       "$work/root/usr/bin/quorvel" --calc "$work/root/usr/lib/quorvel/Sample.qvl")"; rc=$?
echo "$out"
[ $rc -eq 0 ] || fail "--calc on the sample: exit $rc"
grep -q '^Meter Size: 2" ' <<<"$out" || fail "the sample is not sized to a 2\" meter"
desktop-file-validate "$work/root/usr/share/applications/quorvel.desktop" || fail "desktop entry not valid"
grep -qx 'Icon=quorvel' "$work/root/usr/share/applications/quorvel.desktop" || fail "entry names no theme icon"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.example.Quorvel.metainfo.xml" || fail "metainfo not valid"
MANWIDTH=80 man -l "$work/root/usr/share/man/man1/quorvel.1.gz" > "$work/man.txt" 2> "$work/man.err" || fail "man -l failed"
[ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man -l warns"; }
for option in --calc --report --pdf --check-update --data-dir --meter-list --json --help --version; do
  grep -q -- "$option" "$work/man.txt" || fail "the manual page lacks $option"
done
grep -q 'EXIT STATUS' "$work/man.txt" || fail "the manual page lacks the exit statuses"
echo PASS

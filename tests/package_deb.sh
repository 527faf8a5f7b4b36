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
for option in --calc --report --pdf --check-update --update --newer --program --table --source --timeout \
              --method --import-meter-list --data-dir --meter-list --json --help --version; do
  grep -q -- "$option" "$work/man.txt" || fail "the manual page lacks $option"
done
grep -q 'EXIT STATUS' "$work/man.txt" || fail "the manual page lacks the exit statuses"
for command in --pdf --import-meter-list --check-update --update; do
  sed -n '/^EXIT STATUS/,/^FILES/p' "$work/man.txt" | grep -q -- "$command" || fail "no exit status for $command"
done

# Installed by dpkg into a temporary root, started by a user with its own
# HOME, purged: that user keeps no menu entry, type or default pointing at
# the program. Before, the user started it from a folder without the package
# marker, so that it registered per user as a copy of one's own does; the
# next start from the package takes that away and writes nothing.
sysroot="$work/sysroot"
mkdir -p "$sysroot/var/lib/dpkg/info" "$sysroot/var/lib/dpkg/updates"
touch "$sysroot/var/lib/dpkg/status"
in_root() { dpkg --root="$sysroot" --log=/dev/null --force-not-root --force-depends --force-script-chrootless "$@"; }
in_root -i "$deb" > "$work/dpkg.txt" 2>&1 || { cat "$work/dpkg.txt"; fail "dpkg --root -i failed"; }
folder="$sysroot/usr/lib/quorvel"
home="$work/user"
user_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home"
          XDG_DATA_DIRS="$sysroot/usr/share" QT_QPA_PLATFORM=offscreen)
"$build/tools/quorvel_factory_settings" "$home/.config/Quorvel/Quorvel.ini" || fail "no settings for the user"
entry="$home/.local/share/applications/quorvel.desktop" list="$home/.config/mimeapps.list"
start_until() { # CONDITION: starts the window, ends it once CONDITION holds (at most 30 s)
  "${user_env[@]}" "$folder/Quorvel" > "$work/window.txt" 2>&1 &
  local pid=$! ok=0
  for _ in $(seq 150); do eval "$1" && { ok=1; break; }; sleep 0.2; done
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  [ $ok = 1 ] || { cat "$work/window.txt"; fail "after a start, still not: $1"; }
}
mv "$folder/package-managed" "$work/marker"
start_until '[ -s "$entry" ] && grep -qs "application/x-quorvel=quorvel.desktop" "$list"'
grep -qx "Exec=$folder/Quorvel %f" "$entry" || fail "the earlier entry does not start the package's program"
mv "$work/marker" "$folder/package-managed"
start_until '[ ! -e "$entry" ] && ! grep -qs "x-quorvel" "$list"'
[ ! -e "$home/.local/share/mime/packages/x-quorvel.xml" ] || fail "the user's type package was left"
in_root --purge quorvel > "$work/purge.txt" 2>&1 || { cat "$work/purge.txt"; fail "dpkg --root --purge failed"; }
[ ! -e "$folder" ] || fail "the purge left $folder"
left="$(grep -rl -e "$sysroot" -e 'quorvel\.desktop' -e 'x-quorvel' "$home" 2>/dev/null)"
[ -z "$left" ] || { echo "$left"; fail "after the purge the user still has files naming the program"; }
[ -z "$("${user_env[@]}" xdg-mime query default application/x-quorvel)" ] || fail "a default for the type is left"
echo PASS

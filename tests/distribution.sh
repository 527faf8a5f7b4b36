#!/usr/bin/env bash
# The distribution medium as a user meets it: the medium target builds it and
# its ISO image; setup, run from a read-only copy of the disc whose path
# holds blanks, installs for a user whose HOME and XDG folders are temporary;
# the installed program works, the desktop knows its type, entry and icon;
# the medium's update folder has nothing newer; a second setup upgrades in
# place; uninstall leaves only the settings and the user's jobs.
#   distribution.sh BUILD_DIR
set -uo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
medium="$work/CD ROM/QUORVEL disc"
mounted=""
cleanup() { [ -n "$mounted" ] && umount "$medium"; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
for tool in xorriso minisign xdg-mime desktop-file-validate update-mime-database; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/deps.sh)"
done

# 1. The medium and its image.
start=$(date +%s)
env -u QUORVEL_SIGNING_KEY cmake --build "$build" --target medium > "$work/medium.log" 2>&1 \
  || { cat "$work/medium.log"; fail "the medium target failed"; }
echo "medium target: $(( $(date +%s) - start )) s"
grep -q 'throwaway key' "$work/medium.log" || fail "no word about the throwaway signing key"
version="$("$build/bin/Quorvel" --version | grep -o '[0-9]\.[0-9][0-9]\.[0-9]\{4\}')"
iso="$build/Quorvel-$version.iso"
[ -s "$iso" ] || fail "no image $iso"
echo "image: $(basename "$iso") $(stat -c %s "$iso") bytes"
# Read into files first: grep -q stops reading at the first match, and under
# pipefail the writer it leaves behind (killed by SIGPIPE) would fail the test.
xorriso -indev "$iso" -pvd_info > "$work/pvd.txt" 2>/dev/null
grep -q '^Volume Id *: QUORVEL$' "$work/pvd.txt" || fail "volume label is not QUORVEL"
dd if="$iso" of="$work/descriptors" bs=2048 skip=16 count=8 2>/dev/null
grep -aq '%/E' "$work/descriptors" || fail "no Joliet directory in the image"
xorriso -indev "$iso" -find / -exec lsdl 2>/dev/null > "$work/iso.txt"
cat "$work/iso.txt"
listed() { grep -qE "^$1 .* '$2'\$" "$work/iso.txt" || fail "$2 not in the image as $1"; }
listed '-r-xr-xr-x' /setup
listed '-r-xr-xr-x' /Quorvel-Distribution
listed '-r-xr-xr-x' /program/Quorvel
listed '-r-xr-xr-x' /update/Quorvel
for f in /Version.txt /License.txt /QV-Help.htm /program/Sample.qvl /program/Table-1.dat /program/Quorvel-Update.pub \
         /program/quorvel.svg /update/Update.txt /update/SHA256SUMS /update/SHA256SUMS.minisig; do
  listed '-r--r--r--' "$f"
done
# The documents on the medium name this release last, as the launcher reads them.
grep -a '^v\. ' "$build/medium/Version.txt" | tail -1 | grep "^v\. $version  " >/dev/null \
  || fail "Version.txt does not end with release $version"
for f in Version.txt License.txt QV-Help.htm; do
  cmp -s "$build/medium/$f" "$build/medium/update/$f" || fail "update/$f differs from the medium's $f"
done
minisign -V -q -p "$build/medium/program/Quorvel-Update.pub" -m "$build/medium/update/SHA256SUMS" \
  || fail "the update folder is not signed with the key whose public half is in program/"

# 2. A read-only copy of the disc under a path with blanks.
mkdir -p "$medium"
xorriso -osirrox on -indev "$iso" -extract / "$medium" > /dev/null 2>&1 || fail "cannot extract the image"
if [ "$(id -u)" -eq 0 ]; then
  mount --bind "$medium" "$medium" && mounted=1 && mount -o remount,bind,ro "$medium" \
    || fail "cannot mount the copy read-only"
else
  chmod -R a-w "$medium"
fi
touch "$medium/probe" 2>/dev/null && fail "the medium copy is writable"

# 3. Install for a user.
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_DATA_DIRS="$XDG_DATA_HOME:/usr/share" PATH="$HOME/.local/bin:$PATH"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
mkdir -p "$HOME/.config/Quorvel" "$HOME/Jobs"
printf '[Config]\nEditor=mousepad\n' > "$HOME/.config/Quorvel/Quorvel.ini"
cp "$build/bin/Sample.qvl" "$HOME/Jobs/Office.qvl"
prefix="$work/apps/Quorvel"
"$medium/setup" --prefix "$prefix" --yes > "$work/setup.txt" 2>&1; rc=$?
cat "$work/setup.txt"
[ $rc -eq 0 ] || fail "setup exit $rc"
grep -q 'Quorvel was installed' "$work/setup.txt" || fail "setup does not say what it did"
[ -x "$prefix/Quorvel" ] || fail "no program in $prefix"

[ "$(command -v quorvel)" = "$HOME/.local/bin/quorvel" ] || fail "quorvel is not the command in ~/.local/bin"
out="$(quorvel --calc "$prefix/Sample.qvl")" || fail "installed quorvel --calc failed"
echo "$out"
grep -q '^Meter Size: 2" ' <<<"$out" || fail "the installed sample is not sized"
[ "$(xdg-mime query default application/x-quorvel)" = quorvel.desktop ] || fail "xdg-mime names no quorvel.desktop"
cp "$prefix/Sample.qvl" "$work/probe.qvl"
[ "$(xdg-mime query filetype "$work/probe.qvl")" = application/x-quorvel ] || fail "a .qvl file is not of the job type"
entry="$XDG_DATA_HOME/applications/quorvel.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
grep -qx "Exec=\"$prefix/Quorvel\" %f" "$entry" || grep -qx "Exec=$prefix/Quorvel %f" "$entry" \
  || fail "the entry does not start the installed program"
icon="$(sed -n 's/^Icon=//p' "$entry")"
case "$icon" in
  /*) [ -s "$icon" ] || fail "icon $icon missing" ;;
  *) [ -s "$XDG_DATA_HOME/icons/hicolor/scalable/apps/$icon.svg" ] || fail "theme icon $icon missing" ;;
esac
[ -s "$XDG_DATA_HOME/icons/hicolor/48x48/apps/quorvel.png" ] || fail "no 48x48 icon"
quorvel --check-update --source "$medium/update" > "$work/check.txt"; rc=$?
cat "$work/check.txt"
[ $rc -eq 0 ] || fail "--check-update on the medium's update folder: exit $rc, expected 0"

# 4. Upgrade in place: the settings and the user's jobs stay.
cp "$prefix/Sample.qvl" "$prefix/Kept job.qvl"
"$medium/setup" --prefix "$prefix" --yes > "$work/setup2.txt" 2>&1 || { cat "$work/setup2.txt"; fail "upgrade failed"; }
grep -q 'upgraded' "$work/setup2.txt" || fail "second run is no upgrade"
[ -f "$prefix/Kept job.qvl" ] || fail "upgrade removed a job file"
grep -q 'Editor=mousepad' "$HOME/.config/Quorvel/Quorvel.ini" || fail "upgrade changed the settings"
rm "$prefix/Kept job.qvl"

# 5. Uninstall: only the settings and the user's own files remain.
"$medium/setup" --uninstall --prefix "$prefix" --yes > "$work/uninstall.txt" 2>&1; rc=$?
cat "$work/uninstall.txt"
[ $rc -eq 0 ] || fail "uninstall exit $rc"
left="$(cd "$work" && find home apps -not -type d 2>/dev/null | sort)"
expected="$(printf 'home/.config/Quorvel/Quorvel.ini\nhome/Jobs/Office.qvl')"
[ "$left" = "$expected" ] || { echo "left behind:"; echo "$left"; fail "uninstall left files"; }
[ ! -e "$prefix" ] || fail "the program folder is still there"
[ ! -e "$HOME/.local" ] || { find "$HOME/.local"; fail "~/.local is left behind"; }
"$medium/setup" --uninstall --prefix "$prefix" --yes > /dev/null 2>&1 && fail "a second uninstall succeeds"
echo PASS

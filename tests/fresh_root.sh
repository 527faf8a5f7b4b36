#!/usr/bin/env bash
# The distribution medium on a desktop that has never seen Qt: the base system
# of tools/base-system.txt (built once by tools/fresh-root.sh and kept in the
# build folder) gets a copy of the medium, and there an ordinary user opens
# the medium's launcher and setup's window, runs setup --yes, the installed
# quorvel --calc and --pdf on the sample, and the program's window; each
# window runs under Xvfb, photographed (BUILD/fresh-root-shots) and checked
# not to be blank. Every
# library the medium's programs load in that root is on the medium or part of
# the base system, and no Qt but the medium's is there.
# Needs root (debootstrap, chroot): without it, exits 77 (a skip CTest
# reports and tools/allowed_skips.txt names).
#   fresh_root.sh BUILD_DIR
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
if [ "$(id -u)" -ne 0 ]; then echo "SKIP: building a Debian root with debootstrap needs root"; exit 77; fi
fail() { echo "FAIL: $*"; exit 1; }
for tool in debootstrap chroot convert identify pdftotext; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/deps.sh test)"
done
work="$(mktemp -d)"
mounts=() pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# 1. The base system (cached) and the medium.
start=$(date +%s)
base="$(bash "$here/tools/fresh-root.sh" "$build")" || fail "the base system could not be built"
echo "base system: $(( $(date +%s) - start )) s ($base)"
echo "packages: $(grep -v -e '^#' -e '^[[:space:]]*$' "$here/tools/base-system.txt" | paste -sd' ' -)" \
     "with what they depend on: $(chroot "$base" dpkg-query -W -f='${Package}\n' | wc -l) packages installed"
start=$(date +%s)
env -u QUORVEL_SIGNING_KEY cmake --build "$build" --target medium > "$work/medium.log" 2>&1 \
  || { cat "$work/medium.log"; fail "the medium target failed"; }
echo "medium target: $(( $(date +%s) - start )) s"

# 2. A throwaway root over the cached one (overlay; a copy where that is refused).
root="$work/root"
mkdir -p "$root" "$work/upper" "$work/overlay"
if mount -t overlay overlay -o "lowerdir=$base,upperdir=$work/upper,workdir=$work/overlay" "$root" 2>/dev/null; then
  mounts+=("$root")
else
  cp -a "$base/." "$root/"
fi
mount -t proc proc "$root/proc" && mounts+=("$root/proc") || fail "cannot mount /proc in the root"
mount -t tmpfs tmpfs "$root/dev/shm" && mounts+=("$root/dev/shm") || fail "cannot mount /dev/shm in the root"
cp -a "$build/medium" "$root/media/QUORVEL"
chmod -R a-w "$root/media/QUORVEL"
chroot "$root" useradd -m -s /bin/bash tester || fail "useradd failed"
# The user's session: its runtime folder, as a desktop login makes it.
runtime="/run/user/$(chroot "$root" id -u tester)"
install -d -m 700 "$root$runtime" && chroot "$root" chown tester:tester "$runtime" || fail "no runtime folder"
# (chroot and env replace themselves by the command: its process id is $!)
as_tester=(chroot --userspec=tester:tester "$root" env -i HOME=/home/tester USER=tester PATH=/usr/bin:/bin
           XDG_RUNTIME_DIR="$runtime")

# 3. No Qt but the medium's, and every library loaded is on the medium or in the base system.
qt="$(cd "$root" && find . -xdev \( -name 'libQt6*' -o -name 'libsodium*' \) -not -path './media/*')"
[ -z "$qt" ] || fail "the base system holds libraries of the medium: $qt"
# The update folder's program is the one in program/, which finds its libraries beside it.
cmp -s "$root/media/QUORVEL/update/Quorvel" "$root/media/QUORVEL/program/Quorvel" \
  || fail "the update folder's program is not the medium's"
elves="$(cd "$root" && find media/QUORVEL -path media/QUORVEL/update -prune -o -type f \( -name '*.so*' -o -perm -u+x \) \
         -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)"
[ "$(wc -l <<<"$elves")" -gt 50 ] || fail "too few programs and libraries on the medium: $elves"
: > "$work/outside"
while read -r elf; do
  chroot "$root" ldd "/$elf" > "$work/ldd" 2>&1 || fail "ldd /$elf failed: $(cat "$work/ldd")"
  grep -q 'not found' "$work/ldd" && { cat "$work/ldd"; fail "/$elf needs a library that is not there"; }
  awk '$2 == "=>" && $3 !~ "^/media/QUORVEL/" { print $3 }' "$work/ldd" >> "$work/outside"
done <<<"$elves"
echo "libraries from outside the medium (all of the base system):"
sort -u "$work/outside" | xargs -n1 basename | paste -sd' ' -

# 4. The windows under Xvfb, each on a screen of its own: photographed, and not
# blank. The medium's launcher and setup's window as a new user sees them.
shots="$build/fresh-root-shots"
rm -rf "$shots" && mkdir -p "$shots"
window() { # NAME TITLE COMMAND...: starts it, waits for its window, takes the picture
  local name="$1" title="$2"; shift 2
  # Xvfb takes the first free display and names it (others may run on this machine).
  rm -f "$work/display"
  "${as_tester[@]}" Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp > "$work/display" 2> "$work/xvfb.log" &
  local xvfb=$! display=""
  pids+=($xvfb)
  for _ in $(seq 50); do display="$(head -1 "$work/display" 2>/dev/null)"; [ -n "$display" ] && break; sleep 0.2; done
  [ -n "$display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
  "${as_tester[@]}" DISPLAY=:$display "$@" > "$work/$name.log" 2>&1 &
  local pid=$!
  pids+=($pid)
  for _ in $(seq 100); do
    "${as_tester[@]}" DISPLAY=:$display xwininfo -root -tree 2>/dev/null | grep -qF "\"$title" && break
    kill -0 $pid 2>/dev/null || { cat "$work/$name.log"; fail "$name ended before its window showed"; }
    sleep 0.2
  done
  "${as_tester[@]}" DISPLAY=:$display xwininfo -root -tree | grep -qF "\"$title" || { cat "$work/$name.log"; fail "no window \"$title\""; }
  sleep 2 # painted
  "${as_tester[@]}" DISPLAY=:$display xwd -root -silent > "$work/$name.xwd" || fail "xwd failed"
  convert "xwd:$work/$name.xwd" "$shots/$name.png" || fail "the picture of $name cannot be read"
  local colours; colours="$(identify -format '%k' "$shots/$name.png")"
  [ "$colours" -gt 16 ] || fail "the picture of $name is blank ($colours colours)"
  echo "$name: window \"$title\", $colours colours in $shots/$name.png"
  kill $pid $xvfb 2>/dev/null; wait $pid $xvfb 2>/dev/null
  [ ! -s "$work/$name.log" ] || { echo "$name said:"; cat "$work/$name.log"; }
}
window launcher "Quorvel Distribution" /media/QUORVEL/Quorvel-Distribution
window setup "Quorvel Setup" /media/QUORVEL/setup

# 5. Setup from the medium for a user, without root; the installed command.
"${as_tester[@]}" /media/QUORVEL/setup --yes > "$work/setup.txt" 2>&1; rc=$?
cat "$work/setup.txt"
[ $rc -eq 0 ] || fail "setup exit $rc"
grep -q '^Quorvel was installed' "$work/setup.txt" || fail "setup does not say it installed"
grep -q '~/.local/bin is not on your PATH' "$work/setup.txt" || fail "setup does not say ~/.local/bin is not on PATH"
grep -q 'with the command quorvel' "$work/setup.txt" && fail "setup offers a command that is not on PATH"
installed=/home/tester/.local/opt/Quorvel
[ -f "$root$installed/qt.conf" ] && [ -d "$root$installed/lib" ] || fail "setup did not install the libraries"
"${as_tester[@]}" /home/tester/.local/bin/quorvel --calc "$installed/Sample.qvl" > "$work/calc.txt" 2>&1; rc=$?
cat "$work/calc.txt"
[ $rc -eq 0 ] || fail "quorvel --calc exit $rc"
meter="$(sed -n 's/^Meter Size: //p' "$work/calc.txt")" units="$(sed -n 's/^Fixture Units: //p' "$work/calc.txt")"
[ "$meter" = '2" ' ] || [ "${meter%% *}" = '2"' ] || fail "the sample is not sized to a 2\" meter: $meter"
"${as_tester[@]}" /home/tester/.local/bin/quorvel --pdf "$installed/Sample.qvl" -o /home/tester/Sample.pdf > "$work/pdf.txt" 2>&1; rc=$?
[ $rc -eq 0 ] || { cat "$work/pdf.txt"; fail "quorvel --pdf exit $rc"; }
pdftotext -layout "$root/home/tester/Sample.pdf" "$work/pdf-text.txt" || fail "the PDF cannot be read"
for want in "${meter%% *}" "$units" Riverside AWWA-Standard.mtr; do
  grep -qF -- "$want" "$work/pdf-text.txt" || fail "the PDF does not hold \"$want\""
done
echo "PDF: $(stat -c %s "$root/home/tester/Sample.pdf") bytes, holds the meter $meter and $units fixture units"

# The settings a first start writes once its notice is read, so that the window opens at once.
settings="$root/home/tester/.config/Quorvel/Quorvel.ini"
"$build/tools/quorvel_factory_settings" "$settings" && chroot "$root" chown -R tester:tester /home/tester/.config \
  || fail "cannot write the user's settings"
window main "Quorvel" /home/tester/.local/bin/quorvel "$installed/Sample.qvl"
echo PASS

#!/usr/bin/env bash
# Assembles the distribution medium in BUILD/medium and its ISO 9660 image
# BUILD/Quorvel-VERSION.iso (Rock Ridge, so the programs keep their execute
# bits, and Joliet; volume label QUORVEL):
#   Quorvel-Distribution, setup, Version.txt, License.txt, QV-Help.htm,
#   qt.conf,
#   program/  the program folder setup installs (with Quorvel-Update.pub),
#             with the Qt plugins and the libraries the programs need beyond
#             the base system of tools/base-system.txt (carry-libraries.sh),
#   update/   a signed update source made by make-update-source.sh.
# QUORVEL_QTPATHS is the qtpaths tool of the Qt the programs are built with
# (the medium target sets it; default: qtpaths6 on PATH or Debian's).
# The update source is signed with the minisign secret key named by
# $QUORVEL_SIGNING_KEY; without it, with a throwaway key pair kept in
# BUILD/signing.
#   tools/make-medium.sh BUILD VERSION DATA_FILE...
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -ge 2 ] || { echo "usage: $0 BUILD VERSION DATA_FILE..." >&2; exit 2; }
build="$(cd "$1" && pwd)" version="$2"; shift 2
medium="$build/medium"
for f in "$build/bin/Quorvel" "$build/bin/Quorvel-Distribution" "$build/tools/setup" "$build/tools/quorvel_desktop_files"; do
  [ -x "$f" ] || { echo "make-medium: $f is missing; build first" >&2; exit 1; }
done

rm -rf "$medium"
mkdir -p "$medium/program"
install -m 755 "$build/bin/Quorvel-Distribution" "$medium/Quorvel-Distribution"
install -m 755 "$build/tools/setup" "$medium/setup"
# The documents, written by the program's own code; the help page the program ships.
# Without a session's runtime folder, the build's private one (Qt warns otherwise).
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$build/runtime}" "$build/tools/quorvel_desktop_files" --documents "$medium"
install -m 644 "$build/bin/QV-Help.htm" "$medium/QV-Help.htm"

# The program folder.
install -m 755 "$build/bin/Quorvel" "$medium/program/Quorvel"
for f in "$@"; do install -m 644 "$build/bin/$f" "$medium/program/$f"; done
install -m 644 "$here/desktop/quorvel.svg" "$medium/program/quorvel.svg"
(cd "$build/desktop" && find icons -name quorvel.png) | while read -r png; do
  install -D -m 644 "$build/desktop/$png" "$medium/program/icons/hicolor/${png#icons/}"
done
# What the programs load beyond the base system, so that they start where no Qt is installed.
qtpaths="${QUORVEL_QTPATHS:-$(command -v qtpaths6 || echo /usr/lib/qt6/bin/qtpaths6)}"
qt_plugins="$("$qtpaths" --query QT_INSTALL_PLUGINS)" || { echo "make-medium: $qtpaths cannot name Qt's plugin folder" >&2; exit 1; }
bash "$here/tools/carry-libraries.sh" "$medium" "$qt_plugins"

# The key the update folder is signed with, and its public half for the program.
if [ -n "${QUORVEL_SIGNING_KEY:-}" ]; then
  key="$QUORVEL_SIGNING_KEY"
  [ -r "$key" ] || { echo "make-medium: cannot read QUORVEL_SIGNING_KEY=$key" >&2; exit 1; }
  minisign -R -s "$key" -p "$medium/program/Quorvel-Update.pub" >/dev/null
else
  key="$build/signing/throwaway.key"
  if [ ! -s "$key" ] || [ ! -s "$build/signing/throwaway.pub" ]; then
    mkdir -p "$build/signing"
    rm -f "$key" "$build/signing/throwaway.pub"
    minisign -G -W -p "$build/signing/throwaway.pub" -s "$key" >/dev/null
  fi
  echo "make-medium: QUORVEL_SIGNING_KEY is not set: the update folder is signed with a throwaway key" \
       "pair in $build/signing. Do not ship this medium."
  install -m 644 "$build/signing/throwaway.pub" "$medium/program/Quorvel-Update.pub"
fi
# The update folder's program is the medium's, which finds the libraries beside it.
QUORVEL_BUILD_DIR="$medium/program" QUORVEL_DOCUMENTS_DIR="$medium" bash "$here/tools/make-update-source.sh" "$medium/update" --key "$key" >/dev/null

iso="$build/Quorvel-$version.iso"
rm -f "$build"/Quorvel-*.iso
xorriso -as mkisofs -quiet -r -J -joliet-long -V QUORVEL -o "$iso" "$medium"
echo "Medium assembled in $medium; image $iso ($(stat -c %s "$iso") bytes)"

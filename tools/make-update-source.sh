#!/usr/bin/env bash
# Writes a complete update source from the build into OUT: Update.txt, every
# file under its source name, SHA256SUMS and, with a key, SHA256SUMS.minisig.
#   tools/make-update-source.sh OUT [--key SECRET_KEY_FILE]
# The build folder is $QUORVEL_BUILD_DIR (default: build/ of the checkout;
# the program is taken from it or from its bin/).
# A secret key without a password (minisign -G -W) signs without asking.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="" key=""
while [ $# -gt 0 ]; do
  case "$1" in
    --key) [ $# -ge 2 ] || { echo "--key needs a file" >&2; exit 2; }; key="$2"; shift 2 ;;
    -*) echo "usage: $0 OUT [--key SECRET_KEY_FILE]" >&2; exit 2 ;;
    *) [ -z "$out" ] || { echo "usage: $0 OUT [--key SECRET_KEY_FILE]" >&2; exit 2; }; out="$1"; shift ;;
  esac
done
[ -n "$out" ] || { echo "usage: $0 OUT [--key SECRET_KEY_FILE]" >&2; exit 2; }
build="${QUORVEL_BUILD_DIR:-$here/build}"
[ -x "$build/Quorvel" ] || [ ! -x "$build/bin/Quorvel" ] || build="$build/bin"
[ -x "$build/Quorvel" ] || { echo "no program at $build/Quorvel; build first" >&2; exit 1; }
[ -z "$key" ] || [ -r "$key" ] || { echo "cannot read key $key" >&2; exit 1; }

mkdir -p "$out"
version="$("$build/Quorvel" --version 2>/dev/null | grep -o '[0-9]\.[0-9][0-9]\.[0-9]\{4\}' | head -1)"
[ -n "$version" ] || version="$(grep -o 'Program_Version = QStringLiteral("[^"]*")' "$here/engine/sizing_job.h" | cut -d'"' -f2)"

date_of() { grep -m1 '^Date:' "$1" | sed 's/^Date:[[:space:]]*//' | tr -d '\r'; }

install -m 755 "$build/Quorvel" "$out/Quorvel"
for f in Table-1.dat Table-2.dat Table-3.dat QV-Help.htm Sample.qvl; do
  install -m 644 "$here/data/$f" "$out/$f"
done
# The documents the program writes, when the caller has them ($QUORVEL_DOCUMENTS_DIR: the medium).
docs="${QUORVEL_DOCUMENTS_DIR:-}"
if [ -n "$docs" ] && [ -s "$docs/Version.txt" ] && [ -s "$docs/License.txt" ]; then
  install -m 644 "$docs/Version.txt" "$out/Version.txt"
  install -m 644 "$docs/License.txt" "$out/License.txt"
else
printf 'Quorvel %s\r\n' "$version" > "$out/Version.txt"
if [ -f "$here/License.txt" ]; then install -m 644 "$here/License.txt" "$out/License.txt"
else printf 'Quorvel %s\r\nCopyright the Quorvel developers.\r\n' "$version" > "$out/License.txt"; fi
fi
# The progress dialog's clip: the build's when it has one.
if [ -f "$build/Quorvel.vmf" ]; then install -m 644 "$build/Quorvel.vmf" "$out/Quorvel.zip"
else (cd "$here/data" && rm -f "$out/Quorvel.zip.part" && tar -cf - Quorvel.wav) > "$out/Quorvel.zip"; fi

{
  printf "' Quorvel update source\r\n"
  printf 'Server Version = %s\r\n' "$version"
  for t in 1 2 3; do printf 'Table-%s = %s\r\n' "$t" "$(date_of "$here/data/Table-$t.dat")"; done
  for m in "$here"/data/*.mtr; do
    n="$(basename "$m")"; install -m 644 "$m" "$out/$n"
    printf 'METERLIST, "%s", %s\r\n' "$n" "$(date_of "$m")"
  done
} > "$out/Update.txt"

(cd "$out" && rm -f SHA256SUMS SHA256SUMS.minisig &&
  find . -maxdepth 1 -type f ! -name SHA256SUMS ! -name 'SHA256SUMS.minisig' -printf '%f\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum > SHA256SUMS)
if [ -n "$key" ]; then
  minisign -S -s "$key" -m "$out/SHA256SUMS" -x "$out/SHA256SUMS.minisig" -t "Quorvel $version" < /dev/null
fi
echo "Update source written to $out"

#!/usr/bin/env bash
# Builds, once, the smallest desktop the distribution medium must run on: a
# minimal Debian 12 root with the packages of tools/base-system.txt and what
# they depend on (no recommends), from the Debian mirror this machine's APT
# uses. The root is kept in BUILD/fresh-root/<key> (the key changes with the
# package list) and its path printed; later runs reuse it. Needs root
# and debootstrap; exits 2 without them.
#   tools/fresh-root.sh BUILD
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: fresh-root.sh BUILD}" && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "fresh-root: debootstrap needs root" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "fresh-root: debootstrap is not installed (tools/deps.sh test)" >&2; exit 2; }

packages="$(grep -v -e '^#' -e '^[[:space:]]*$' "$here/base-system.txt" | paste -sd, -)"
key="$( (grep -v -e '^#' -e '^[[:space:]]*$' "$here/base-system.txt"; echo "minbase bookworm") | sha256sum | cut -c1-12)"
cache="$build/fresh-root"
root="$cache/$key"
if [ -f "$root/.complete" ]; then echo "$root"; exit 0; fi

# The mirror of this machine's bookworm sources (deb822 or one-line form).
mirror="${QUORVEL_DEBIAN_MIRROR:-}"
if [ -z "$mirror" ]; then
  mirror="$(awk '/^URIs:/ { uri = $2 } /^Suites:/ && / bookworm( |$)/ { print uri; exit }' \
            /etc/apt/sources.list.d/*.sources 2>/dev/null || true)"
fi
if [ -z "$mirror" ]; then
  mirror="$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' /etc/apt/sources.list \
            /etc/apt/sources.list.d/*.list 2>/dev/null || true)"
fi
mirror="${mirror:-http://deb.debian.org/debian}"

rm -rf "$cache"
mkdir -p "$cache"
start=$(date +%s)
echo "fresh-root: debootstrap --variant=minbase bookworm from $mirror with: $packages" >&2
if ! debootstrap --variant=minbase --include="$packages" bookworm "$root" "$mirror" > "$cache/debootstrap.log" 2>&1; then
  tail -20 "$cache/debootstrap.log" >&2
  echo "fresh-root: debootstrap failed (log: $cache/debootstrap.log)" >&2
  exit 1
fi
rm -rf "$root"/var/cache/apt/archives/*.deb
touch "$root/.complete"
echo "fresh-root: built in $(( $(date +%s) - start )) s" >&2
echo "$root"

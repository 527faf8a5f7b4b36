#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-svg-dev
          qt6-multimedia-dev libbenchmark-dev shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl
          libx11-dev libsodium-dev minisign pkg-config poppler-utils libglib2.0-bin openssl
          lintian xorriso appstream man-db dpkg-dev clang-14 libclang-rt-14-dev llvm-14)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

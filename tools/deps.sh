#!/usr/bin/env bash
# Installs the Debian packages one of three uses needs, when they are missing:
#   run      build and run the program (tools/run.sh)
#   test     and build and pass the tests and the benchmarks (tools/test.sh)
#   checked  and the checked build: clang, its sanitizer and fuzzer runtimes,
#            the symbolizer for their reports (tools/sanitize.sh, tools/fuzz.sh)
# As root it installs with apt-get, otherwise with sudo; without sudo it names
# the packages and the command to run as root, and exits 2.
#   tools/deps.sh run|test|checked
#   tools/deps.sh --list run|test|checked   (the set's packages, one a line)
set -euo pipefail

run=(build-essential cmake ninja-build pkg-config
     qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev libx11-dev libsodium-dev)
# What the tests call, by the test that calls it:
#   libbenchmark-dev     bench/, built by the test command
#   minisign             update, update_faults, update_source, distribution: signed update sources
#   openssl              update_faults: the certificate of its https server
#   poppler-utils        report_pages: pdftotext reads the PDF back
#   shared-mime-info, desktop-file-utils, xdg-utils, libfile-mimeinfo-perl, libglib2.0-bin
#                        association, shell, distribution: the file type, the menu entry and
#                        the opener as a desktop sees them (update-mime-database, xdg-mime,
#                        xdg-open, mimetype, gio)
#   dpkg-dev, lintian, appstream, man-db
#                        package_deb: the package's dependencies, its lint, metainfo and manual
#   xorriso              distribution: the medium's image
#   patchelf             distribution, fresh_root: the medium's programs find the libraries it carries
#   debootstrap, imagemagick
#                        fresh_root: the base system the medium runs on, the pictures of its windows
test=("${run[@]}" libbenchmark-dev minisign openssl poppler-utils
      shared-mime-info desktop-file-utils xdg-utils libfile-mimeinfo-perl libglib2.0-bin
      dpkg-dev lintian appstream man-db xorriso patchelf debootstrap imagemagick)
checked=("${test[@]}" clang-14 libclang-rt-14-dev llvm-14)

usage() { echo "usage: $0 [--list] run|test|checked" >&2; exit 1; }
list=0
if [ "${1:-}" = --list ]; then list=1; shift; fi
[ $# -eq 1 ] || usage
case $1 in
  run) packages=("${run[@]}") ;;
  test) packages=("${test[@]}") ;;
  checked) packages=("${checked[@]}") ;;
  *) usage ;;
esac
if [ $list = 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "The $1 set needs Debian packages that are not installed: ${missing[*]}" >&2
  echo "Install them as root, then run this again:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 2
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

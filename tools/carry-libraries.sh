#!/usr/bin/env bash
# Makes the programs of the distribution medium run on the base system named
# in tools/base-system.txt, which has no Qt: the Qt plugins they use go into
# program/plugins, every shared library that they or those plugins load from
# outside the base system into program/lib, each with a run path relative to
# itself ($ORIGIN); a qt.conf beside the programs points Qt at the plugins; the
# copyright file of every package carried goes into program/licenses, and
# program/licenses/Libraries.txt names each carried file's package and version.
# Fails when one of them would still load a library that is neither carried
# nor part of the base system, or that cannot be found.
#   tools/carry-libraries.sh MEDIUM QT_PLUGIN_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[ $# -eq 2 ] || { echo "usage: $0 MEDIUM QT_PLUGIN_DIR" >&2; exit 2; }
medium="$(cd "$1" && pwd)" qt_plugins="$2"
program="$medium/program"
fail() { echo "carry-libraries: $*" >&2; exit 1; }
for tool in patchelf ldd dpkg-query apt-cache; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/deps.sh run)"
done

# The Qt plugins the programs use: the X11 window system (and its OpenGL
# integrations), the offscreen platform of --pdf, dead keys and input
# methods, the image formats and the SVG icon engine, printing through CUPS,
# TLS for https update sources, and the sound backends.
plugins=(platforms/libqxcb.so platforms/libqoffscreen.so
         xcbglintegrations/libqxcb-egl-integration.so xcbglintegrations/libqxcb-glx-integration.so
         platforminputcontexts/libcomposeplatforminputcontextplugin.so
         platforminputcontexts/libibusplatforminputcontextplugin.so
         imageformats/libqsvg.so imageformats/libqico.so imageformats/libqgif.so imageformats/libqjpeg.so
         iconengines/libqsvgicon.so printsupport/libcupsprintersupport.so
         tls/libqopensslbackend.so tls/libqcertonlybackend.so)
programs=("$medium/setup" "$medium/Quorvel-Distribution" "$program/Quorvel")

# The base system's packages: the minimal root (Priority: required, and APT)
# and the listed packages, with everything they depend on.
mapfile -t listed < <(grep -v -e '^#' -e '^[[:space:]]*$' "$here/base-system.txt")
mapfile -t required < <(apt-cache dumpavail | awk '/^Package:/ { p = $2 } /^Priority: required/ { print p }' | sort -u)
[ ${#required[@]} -gt 0 ] || fail "APT knows no packages here: run apt-get update first"
declare -A base=()
while read -r p; do base[$p]=1; done < <(
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
    --no-enhances apt "${required[@]}" "${listed[@]}" | grep -v -e '^ ' -e '^<' | sed 's/:.*//' | sort -u)
for p in "${listed[@]}"; do [ -n "${base[$p]:-}" ] || fail "base package $p is unknown to APT"; done

# The Debian package of each library file, asked for in one go (dpkg-query
# reads its whole database for every call): merged /usr registers some
# libraries under /lib, others under /usr/lib.
declare -A owner=()
learn_packages() { # FILE...
  local f names=()
  for f in "$@"; do
    [ -n "${owner[$f]+known}" ] && continue
    owner[$f]=""
    names+=("$f" "$(realpath "$f")")
    case "$f" in /usr/lib/*) names+=("${f#/usr}") ;; /lib/*) names+=("/usr$f") ;; esac
  done
  [ ${#names[@]} -gt 0 ] || return 0
  declare -A by_path=()
  while IFS= read -r line; do
    by_path[${line#*: }]="$(sed 's/[:,].*//' <<<"${line%%: *}")"
  done < <(dpkg-query -S "${names[@]}" 2>/dev/null || true)
  for f in "$@"; do
    local real alt
    real="$(realpath "$f")"
    case "$f" in /usr/lib/*) alt="${f#/usr}" ;; /lib/*) alt="/usr$f" ;; *) alt="$f" ;; esac
    owner[$f]="${by_path[$f]:-${by_path[$real]:-${by_path[$alt]:-}}}"
  done
}
loaded_by() { ldd "$1" | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }'; }

rm -rf "$program/lib" "$program/plugins" "$program/licenses"
mkdir -p "$program/lib" "$program/licenses"
for p in "${plugins[@]}"; do
  [ -f "$qt_plugins/$p" ] || fail "the Qt plugin $qt_plugins/$p is missing"
  install -D -m 644 "$qt_plugins/$p" "$program/plugins/$p"
done

# Copy what the programs and plugins load from outside the base system
# (ldd lists the whole tree of each file; the check below runs ldd again).
declare -A carried=()
elves=("${programs[@]}" "$program"/plugins/*/*.so)
for elf in "${elves[@]}"; do loaded_by "$elf"; done | sort -u > "$program/lib/.loaded"
mapfile -t paths < <(awk '{ print $2 }' "$program/lib/.loaded" | sort -u)
learn_packages "${paths[@]}"
while read -r name path; do
  [ -n "${carried[$name]:-}" ] && continue
  pkg="${owner[$path]:-}"
  if [ -n "$pkg" ] && [ -n "${base[$pkg]:-}" ]; then continue; fi
  [ -n "$pkg" ] || fail "$path belongs to no Debian package; it cannot be carried with its licence"
  cp -L "$path" "$program/lib/$name"
  chmod 644 "$program/lib/$name"
  carried[$name]="$pkg"
done < "$program/lib/.loaded"
rm "$program/lib/.loaded"

# Run paths relative to each file; the programs' own build paths go.
patchelf --set-rpath '$ORIGIN/program/lib' "$medium/setup" "$medium/Quorvel-Distribution"
patchelf --set-rpath '$ORIGIN/lib' "$program/Quorvel"
for f in "$program"/lib/*; do patchelf --set-rpath '$ORIGIN' "$f"; done
for f in "$program"/plugins/*/*.so; do patchelf --set-rpath '$ORIGIN/../../lib' "$f"; done
printf '[Paths]\nPrefix = .\nPlugins = plugins\n' > "$program/qt.conf"
printf '[Paths]\nPrefix = program\nPlugins = plugins\n' > "$medium/qt.conf"

# The licences, and which file comes from which package.
{
  echo "Shared libraries carried in lib/ (and the Qt plugins in plugins/), each with"
  echo "the Debian package it was taken from; that package's copyright file is"
  echo "licenses/<package>/copyright."
  echo
  for name in $(printf '%s\n' "${!carried[@]}" | sort); do
    pkg="${carried[$name]}"
    echo "lib/$name  $pkg $(dpkg-query -W -f='${Version}' "$pkg")"
  done
  learn_packages "${plugins[@]/#/$qt_plugins/}"
  for p in "${plugins[@]}"; do
    pkg="${owner[$qt_plugins/$p]:-}"
    [ -n "$pkg" ] || fail "the Qt plugin $p belongs to no Debian package"
    carried[plugins/$p]="$pkg"
    echo "plugins/$p  $pkg $(dpkg-query -W -f='${Version}' "$pkg")"
  done
} > "$program/licenses/Libraries.txt"
for pkg in $(printf '%s\n' "${carried[@]}" | sort -u); do
  copyright="/usr/share/doc/$pkg/copyright"
  [ -r "$copyright" ] || fail "no licence text $copyright for the carried package $pkg"
  install -D -m 644 "$copyright" "$program/licenses/$pkg/copyright"
done

# The check: with their own run paths, the programs, libraries and plugins
# find every library either on the medium or in the base system.
elves=("${programs[@]}" "$program"/lib/* "$program"/plugins/*/*.so)
for elf in "${elves[@]}"; do
  ldd "$elf" | awk -v elf="$elf" '$2 == "=>" { print elf, $1, ($3 == "not" ? "not-found" : $3) }'
done > "$program/licenses/.loaded"
mapfile -t outside < <(awk -v m="$medium/" '$3 ~ /^\// && index($3, m) != 1 { print $3 }' "$program/licenses/.loaded" | sort -u)
learn_packages "${outside[@]}"
bad=0
while read -r elf name path; do
  case "$path" in
    "$medium"/*) ;;
    /*) pkg="${owner[$path]:-}"
        if [ -z "$pkg" ] || [ -z "${base[$pkg]:-}" ]; then
          echo "carry-libraries: ${elf#$medium/} loads $path from outside the base system" >&2; bad=1
        fi ;;
    *) echo "carry-libraries: ${elf#$medium/} needs $name, which is not found" >&2; bad=1 ;;
  esac
done < "$program/licenses/.loaded"
rm "$program/licenses/.loaded"
[ $bad -eq 0 ] || fail "the medium's programs would not start on the base system"
echo "carry-libraries: ${#carried[@]} libraries and plugins carried ($(du -sh "$program/lib" | cut -f1) in lib/)"

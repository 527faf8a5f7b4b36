#!/usr/bin/env bash
# tools/deps.sh: each set holds the one before it; a user who is not root and
# has no sudo is told what to install and how, and nothing is attempted.
#   deps_sets.sh SOURCE_DIR
set -uo pipefail
deps="$(cd "$1" && pwd)/tools/deps.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

bash "$deps" --list run > "$work/run" || fail "--list run"
bash "$deps" --list test > "$work/test" || fail "--list test"
bash "$deps" --list checked > "$work/checked" || fail "--list checked"
[ -n "$(comm -23 <(sort "$work/run") <(sort "$work/test"))" ] && fail "the test set lacks part of the run set"
[ -n "$(comm -23 <(sort "$work/test") <(sort "$work/checked"))" ] && fail "the checked set lacks part of the test set"
grep -qx clang-14 "$work/run" "$work/test" && fail "clang-14 is outside the checked set"
grep -qx lintian "$work/run" && fail "lintian is in the run set"
grep -qx ccache "$work/checked" && fail "ccache is in a set"
bash "$deps" nonsense > /dev/null 2>&1; rc=$?
[ $rc -eq 1 ] || fail "an unknown set: exit $rc, not 1"

# A machine where nothing is installed (dpkg-query knows no package), as a
# user who is not root, with a PATH that has no sudo: only bash, id and the
# stand-in dpkg-query.
mkdir -p "$work/bin"
ln -s "$(command -v bash)" "$work/bin/bash"
ln -s "$(command -v id)" "$work/bin/id"
printf '#!%s\necho "dpkg-query: no packages found matching $3" >&2\nexit 1\n' "$(command -v bash)" > "$work/bin/dpkg-query"
chmod 755 "$work" "$work/bin" "$work/bin/dpkg-query"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || fail "setpriv is needed to run as a user that is not root (util-linux)"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
for set in run test checked; do
  "${as_user[@]}" env -i PATH="$work/bin" "$work/bin/bash" "$deps" "$set" > "$work/out" 2>&1; rc=$?
  cat "$work/out"
  [ $rc -eq 2 ] || fail "$set without root or sudo: exit $rc, not 2"
  grep -q "apt-get install --no-install-recommends $(tr '\n' ' ' < "$work/$set" | sed 's/ $//')\$" "$work/out" \
    || fail "$set: the command to install all of the set is not named"
done
echo "deps.sh: three sets, each holding the one before; without root or sudo it names what to install"

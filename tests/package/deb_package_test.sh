#!/usr/bin/env bash
# Packs a build folder as the Debian package, installs it as a user would and
# checks the installed program: its batch mode writes the build's CSV, its
# window loads the module from /usr/lib/sormel-checker, and removing the
# package leaves none of its files behind. It installs a package, so it needs
# root (as CI is); otherwise it says so and passes.
#
#   tests/package/deb_package_test.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
name=sormel-checker
installed=/usr/bin/$name
module=/usr/lib/$name/$name-window.so

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing the package needs root"
  exit 0
fi
started=$SECONDS
work=$(mktemp -d)
window_pid=

# A step's line, with the seconds since the test started.
ok() {
  echo "ok: $* ($((SECONDS - started)) s)"
}

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# Whatever state dpkg knows the package in (installed, unpacked, only its
# configuration left), or nothing.
package_state() {
  dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null | grep -v '^not-installed$' || true
}

# A failed check still takes the package off the machine.
finish() {
  local status=$?
  if [ -n "$window_pid" ]; then
    kill "$window_pid" 2>/dev/null || true
    wait "$window_pid" 2>/dev/null || true
  fi
  [ -n "$(package_state)" ] && dpkg --purge "$name" >/dev/null 2>&1
  rm -rf "$work"
  exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

if [ -n "$(package_state)" ]; then
  echo "removing the $name package left installed ($(package_state))"
  dpkg --purge "$name" >/dev/null
fi

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not make the package"; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb')
[ -f "$deb" ] || fail "cpack made no .deb"
ok "packed $(basename "$deb")"

# dpkg alone when the dependencies are there already, apt to fetch any missing.
if ! dpkg -i "$deb" >"$work/install.log" 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >>"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "the package does not install"; }
fi
[ "$(package_state)" = installed ] || fail "the package is $(package_state) after installing it"
ok "installed $(basename "$deb")"

[ "$("$installed" --version)" = "$("$build/$name" --version)" ] || fail "the installed program's version differs"
same_csv() {  # same_csv FOLDER [OPTION]...
  "$installed" --batch "$@" --output "$work/installed.csv" 2>"$work/batch.log" ||
    { cat "$work/batch.log"; fail "the installed batch mode failed: --batch $*"; }
  "$build/$name" --batch "$@" --output "$work/built.csv" 2>"$work/batch.log" ||
    { cat "$work/batch.log"; fail "the built batch mode failed: --batch $*"; }
  cmp "$work/installed.csv" "$work/built.csv" || fail "the installed program's CSV differs: --batch $*"
}
same_csv samples/decks
same_csv samples/exports --mask '*.*' --encoding utf-8
ok "the installed batch mode writes the build's CSV"

# The window in the offscreen platform: once the module is mapped from
# /usr/lib and Qt has loaded the offscreen platform plugin, the module's
# window code is running. Its settings go to a home of its own.
mkdir "$work/home"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config QT_QPA_PLATFORM=offscreen \
  "$installed" samples/decks >"$work/window.log" 2>&1 &
window_pid=$!
for _ in $(seq 150); do
  kill -0 "$window_pid" 2>/dev/null || { cat "$work/window.log"; fail "the window ended at once"; }
  maps=$(cat "/proc/$window_pid/maps" 2>/dev/null || true)
  if grep -q " $module\$" <<<"$maps" && grep -q '/libqoffscreen\.so$' <<<"$maps"; then break; fi
  sleep 0.2
done
grep -q " $module\$" <<<"$maps" || fail "the window did not load $module within 30 s"
grep -q '/libqoffscreen\.so$' <<<"$maps" || fail "the window did not start Qt within 30 s"
other=$(grep -- "-window\.so\$" <<<"$maps" | grep -v " $module\$" || true)
[ -z "$other" ] || fail "a window module from elsewhere is loaded: $other"
kill "$window_pid"
wait "$window_pid" 2>/dev/null || true
window_pid=
ok "the installed window loads $module"

# Removing it: every file it installed is gone, and so is every folder
# that was its alone (a folder another package has, or with others' files
# in it, stays).
dpkg -L "$name" >"$work/files"
dpkg --purge "$name" >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "the package does not remove"; }
[ -z "$(package_state)" ] || fail "the package is $(package_state) after removing it"
left=()
while IFS= read -r path; do
  if [ -L "$path" ] || { [ -e "$path" ] && ! [ -d "$path" ]; }; then
    left+=("$path")
  elif [ -d "$path" ] && [ -z "$(ls -A "$path")" ] && ! dpkg-query -S "$path" >/dev/null 2>&1; then
    left+=("$path/")
  fi
done <"$work/files"
[ ${#left[@]} -eq 0 ] || fail "left behind after removing the package: ${left[*]}"
ok "removed, none of its $(grep -c . "$work/files") paths left behind"

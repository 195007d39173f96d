#!/usr/bin/env bash
# scripts/test-package.sh [BUILD_DIR] — builds and checks the Debian package
# (scripts/package.sh), installs it with apt-get, runs the installed
# zelmaro-cli on a fresh sample session and the installed zelmaro under Xvfb
# until its window shows, then removes the package again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
dir=$(cd "$dir" 2>/dev/null && pwd || echo "$dir")
"$root/scripts/package.sh" "$dir"
fail() {
  echo "package test: $*" >&2
  exit 1
}

if dpkg-query -W -f='${Status}' zelmaro 2>/dev/null | grep -q "install ok installed"; then
  fail "zelmaro is installed already; this test would remove it"
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
work=$(mktemp -d)
cleanup() {
  $sudo apt-get purge -y -qq zelmaro >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
  "$dir"/zelmaro_*.deb >"$work/apt.txt" 2>&1 || { cat "$work/apt.txt" >&2; fail "apt-get could not install the package"; }

# The installed programs only: no build folder on the way, settings in a
# folder of this run.
export PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
[ "$(command -v zelmaro-cli)" = /usr/bin/zelmaro-cli ] || fail "no zelmaro-cli in /usr/bin"
if grep -rlF --binary-files=text "$root" /usr/bin/zelmaro /usr/bin/zelmaro-cli; then
  fail "the installed programs refer to the source or build folder"
fi

session="$work/session"
"$root/examples/make-sample-session.sh" "$session" >/dev/null
# shellcheck source=german-locale.sh
. "$root/scripts/german-locale.sh" "$work"
zelmaro-cli "$session" --auto-offset --write >"$work/cli.txt" 2>"$work/cli.err" ||
  { tail -5 "$work/cli.err" >&2; fail "zelmaro-cli --write failed"; }
grep -q '^Versatz 7 s: ' "$work/cli.err" || fail "zelmaro-cli found no offset of 7 s"
grep -q '^\[x\]  IMG_0010.JPG' "$work/cli.txt" || fail "zelmaro-cli ticked no differing image"
# Written back: read anew, no image differs from the log any more.
zelmaro-cli "$session" --auto-offset >"$work/after.txt" 2>/dev/null || fail "zelmaro-cli failed"
grep -q 'IMG_0036.JPG' "$work/after.txt" || fail "zelmaro-cli lost images"
if grep -q '^\[x\]' "$work/after.txt"; then
  fail "zelmaro-cli --write left images unchanged"
fi
echo "installed zelmaro-cli: sample session matched and written"

# The window: started with the desktop entry's command, seen on the X screen.
entry=$(dpkg -L zelmaro | grep '/applications/.*\.desktop$')
start=$(sed -n 's/^Exec=//p' "$entry")
shot="$dir/installed-zelmaro.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x800x24" bash -c '
  $2 & pid=$!
  for _ in $(seq 1 40); do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { echo "zelmaro ended before its window showed" >&2; exit 1; }
    # The main window, not a message box of the same title.
    if import -window Zelmaro "$1" 2>/dev/null && [ "$(identify -format %w "$1")" -ge 700 ]; then
      kill "$pid"; wait "$pid" 2>/dev/null || true; exit 0
    fi
  done
  kill "$pid"; echo "no Zelmaro window within 20 s" >&2; exit 1
' bash "$shot" "$start" || fail "the installed zelmaro showed no window"
echo "installed zelmaro: window seen, screenshot in $shot"

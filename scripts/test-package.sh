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

if dpkg-query -W -f='${Status}' zelmaro 2>/dev/null | grep -q "install ok installed"; then
  echo "zelmaro is installed already; this test would remove it" >&2
  exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
work=$(mktemp -d)
cleanup() {
  $sudo apt-get purge -y -qq zelmaro >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
# apt-get says that debconf waits for apt-utils; that is no finding.
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$dir"/zelmaro_*.deb 2>&1 |
  grep -v '^debconf: delaying' || [ "${PIPESTATUS[0]}" -eq 0 ]

# The installed programs only: no build folder on the way, settings in a
# folder of this run.
export PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
[ "$(command -v zelmaro-cli)" = /usr/bin/zelmaro-cli ]
if grep -rlF --binary-files=text "$root" /usr/bin/zelmaro /usr/bin/zelmaro-cli; then
  echo "the installed programs refer to the source or build folder" >&2
  exit 1
fi

session="$work/session"
"$root/examples/make-sample-session.sh" "$session" >/dev/null
# shellcheck source=german-locale.sh
. "$root/scripts/german-locale.sh" "$work"
zelmaro-cli "$session" --auto-offset --write >"$work/cli.txt" 2>"$work/cli.err"
grep -qx 'Versatz: 7' "$work/cli.err"
grep -q '^\[x\]  IMG_0010.JPG' "$work/cli.txt"
# Written back: read anew, no image differs from the log any more.
zelmaro-cli "$session" --auto-offset >"$work/after.txt" 2>/dev/null
grep -q 'IMG_0036.JPG' "$work/after.txt"
if grep -q '^\[x\]' "$work/after.txt"; then
  echo "zelmaro-cli --write left images unchanged" >&2
  exit 1
fi
echo "installed zelmaro-cli: sample session matched and written"

# The window: started from the menu's command, seen on the X screen.
shot="$dir/installed-zelmaro.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x800x24" bash -c '
  zelmaro & pid=$!
  for _ in $(seq 1 40); do
    sleep 0.5
    kill -0 "$pid" 2>/dev/null || { echo "zelmaro ended before its window showed" >&2; exit 1; }
    if import -window Zelmaro "$1" 2>/dev/null; then
      kill "$pid"; wait "$pid" 2>/dev/null || true; exit 0
    fi
  done
  kill "$pid"; echo "no Zelmaro window within 20 s" >&2; exit 1
' bash "$shot"
echo "installed zelmaro: window seen, screenshot in $shot"

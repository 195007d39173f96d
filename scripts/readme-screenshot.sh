#!/usr/bin/env bash
# scripts/readme-screenshot.sh [BUILD_DIR] — remakes docs/zelmaro-window.png:
# the demo program drives the window through a fresh sample session under Xvfb
# and this keeps its picture of the paired rows, cut to the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
cmake --build "$dir" --target main_window_demo >/dev/null
work=$(mktemp -d)
# The folder name shows in the picture: a short one.
session=/tmp/Beispielsitzung
trap 'rm -rf "$work" "$session"' EXIT
rm -rf "$session"
"$root/examples/make-sample-session.sh" "$session" >/dev/null
# shellcheck source=german-locale.sh
. "$root/scripts/german-locale.sh" "$dir"
mkdir -m 700 "$work/run"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
  xvfb-run -a -s "-screen 0 800x780x24" "$dir/tests/app/main_window_demo" "$session" "$work" >/dev/null
# The demo puts the window at (20, 20); no window manager adds a frame.
convert "$work/3-pairs.png" -crop 752x702+20+20 +repage -strip "$root/docs/zelmaro-window.png"
echo "docs/zelmaro-window.png remade"

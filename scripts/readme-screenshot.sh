#!/usr/bin/env bash
# scripts/readme-screenshot.sh [BUILD_DIR] — remakes docs/zelmaro-window-de.png
# and docs/zelmaro-window-en.png: the demo program drives the window through a
# fresh sample session under Xvfb, once in each language, and this keeps its
# picture of the paired rows, cut to the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
cmake --build "$dir" --target main_window_demo zelmaro_catalogs >/dev/null
work=$(mktemp -d)
# The folder name shows in the picture: a short one in the picture's language.
sessions=(/tmp/Beispielsitzung /tmp/SampleSession)
trap 'rm -rf "$work" "${sessions[@]}"' EXIT

# shoot LANG SESSION [VAR=VALUE...]: the window in that environment, into docs/.
shoot() {
  local lang=$1 session=$2
  shift 2
  rm -rf "$session"
  "$root/examples/make-sample-session.sh" "$session" >/dev/null
  mkdir -p "$work/$lang" && mkdir -m 700 "$work/$lang/run"
  env "$@" XDG_CONFIG_HOME="$work/$lang/config" XDG_RUNTIME_DIR="$work/$lang/run" \
    xvfb-run -a -s "-screen 0 800x780x24" "$dir/tests/app/main_window_demo" "$session" "$work/$lang" >/dev/null
  # The demo puts the window at (20, 20); no window manager adds a frame.
  convert "$work/$lang/3-pairs.png" -crop 752x702+20+20 +repage -strip "$root/docs/zelmaro-window-$lang.png"
  echo "docs/zelmaro-window-$lang.png remade"
}

# English first: the German locale below may point LOCPATH at a folder of its own.
if locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$'; then
  shoot en "${sessions[1]}" LC_ALL=en_US.UTF-8 LANGUAGE=en_US
else
  shoot en "${sessions[1]}" LC_ALL=C.UTF-8 LANGUAGE=en
fi
# shellcheck source=german-locale.sh
. "$root/scripts/german-locale.sh" "$dir"
# Without a German locale the program still speaks German for LANGUAGE=de.
shoot de "${sessions[0]}" LANGUAGE=de

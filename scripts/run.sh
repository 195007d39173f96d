#!/usr/bin/env bash
# Installs what is missing, builds Zelmaro, writes a fresh sample session and
# opens the program. Without a display it says so and runs the sample session
# through zelmaro-cli instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
session="$root/build/sample-session"
"$root/examples/make-sample-session.sh" "$session"
# shellcheck source=german-locale.sh
. "$root/scripts/german-locale.sh" "$root/build"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Zelmaro opens; choose the sample session in $session."
  exec "$root/build/src/app/zelmaro" "$@"
fi
echo "No display found: running the sample session through zelmaro-cli instead of the window." >&2
exec "$root/build/src/cli/zelmaro-cli" "$session" --auto-offset "$@"

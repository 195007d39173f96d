#!/usr/bin/env bash
# Installs what is missing, builds Zelmaro, writes a fresh sample session and
# runs zelmaro-cli on it (until the window exists).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
session="$root/build/sample-session"
"$root/examples/make-sample-session.sh" "$session"
# The sample log is written the German way (decimal comma); without a German
# locale on the system, build one for this run.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  export LOCPATH="$root/build/locale"
  [ -d "$LOCPATH/de_DE.UTF-8" ] ||
    { mkdir -p "$LOCPATH" && localedef -i de_DE -f UTF-8 "$LOCPATH/de_DE.UTF-8" 2>/dev/null; } || unset LOCPATH
fi
export LC_ALL=de_DE.UTF-8
exec "$root/build/src/cli/zelmaro-cli" "$session" --auto-offset "$@"

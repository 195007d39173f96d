#!/usr/bin/env bash
# Installs what is missing, builds and runs every test twice: a plain build and
# one with AddressSanitizer and UndefinedBehaviorSanitizer (leaks fail it too);
# then the Windows build of the core libraries, cross-compiled and run under wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

run_suite() {
  local dir=$1
  shift
  "$root/scripts/build.sh" "$dir" "$@"
  (cd "$dir" && ctest --output-on-failure --label-exclude 'bench|fuzz' --parallel "$(nproc)" --timeout 600)
}

echo "== plain build =="
run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sanitizer build =="
run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZELMARO_SANITIZE=ON -DZELMARO_BUILD_BENCH=OFF
echo "== windows build under wine =="
"$root/scripts/test-windows.sh" "$root/build-win"

#!/usr/bin/env bash
# Installs what is missing, builds and runs every test twice: a plain build and
# one with AddressSanitizer and UndefinedBehaviorSanitizer (leaks fail it too);
# the Debian package made from the plain build, installed, run and removed;
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
echo "== Debian package =="
"$root/scripts/test-package.sh" "$root/build"
echo "== sanitizer build =="
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/cmake/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DZELMARO_SANITIZE=ON -DZELMARO_BUILD_BENCH=OFF
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
echo "== windows build under wine =="
"$root/scripts/test-windows.sh" "$root/build-win"

#!/usr/bin/env bash
# Installs what is missing, checks the tree (letter case, layers by include,
# formatting), builds and runs every test twice: a plain build and one with
# AddressSanitizer and UndefinedBehaviorSanitizer (leaks fail it too); the
# Debian package made from the plain build, installed, run and removed; the
# Qt-free libraries built with clang; then the Windows build of the core
# libraries, cross-compiled and run under wine. Warnings are errors throughout.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export ZELMARO_WERROR=ON

echo "== tree =="
"$root/scripts/check-tree.sh"

# The camera files beside the repository, where there are any.
fixtures=()
if [ -d "$root/../shared/fixtures/camera" ]; then
  fixtures=(-DZELMARO_CAMERA_FIXTURES="$(cd "$root/../shared/fixtures/camera" && pwd)")
fi

run_suite() {
  local dir=$1
  shift
  "$root/scripts/build.sh" "$dir" -DZELMARO_WERROR=ON "${fixtures[@]}" "$@"
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
echo "== Qt-free libraries with clang =="
CXX=clang++ "$root/scripts/build.sh" "$root/build-clang" -DCMAKE_BUILD_TYPE=Debug -DZELMARO_WERROR=ON \
  -DZELMARO_BUILD_GUI=OFF -DZELMARO_BUILD_TESTS=OFF -DZELMARO_BUILD_BENCH=OFF
echo "== windows build under wine =="
"$root/scripts/test-windows.sh" "$root/build-win"

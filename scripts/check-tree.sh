#!/usr/bin/env bash
# scripts/check-tree.sh — checks of the tracked tree that no compiler makes:
# paths that a case-insensitive checkout would fold together, the layering
# by include, and the formatting of every C++ file.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
fail() {
  echo "check-tree: $*" >&2
  status=1
}

clashes=$(git ls-files | sort -f | uniq -di)
[ -z "$clashes" ] || fail "paths that differ only in letter case (a Windows or macOS checkout keeps one):
$clashes"

# Qt stays in src/app and the about box's widgets.
qt_free=(src/platform src/support src/runner src/palm src/shotlog src/workflow src/settings src/cli
  src/about/AboutTexts.h src/about/AboutTexts.cpp src/about/InfVer.h src/about/InfVer.cpp
  src/about/VersionBlock.h src/about/VersionBlock.cpp src/about/CompiledVersionBlockSource.cpp
  src/about/win32 src/about/GradientMath.h src/about/GradientMath.cpp
  src/about/Label3DMath.h src/about/Label3DMath.cpp)
hits=$(git grep -n -E '^\s*#\s*include\s*<(Q|qt)' -- "${qt_free[@]}" || true)
[ -z "$hits" ] || fail "Qt headers below the GUI:
$hits"
# Nothing below the GUI includes it.
hits=$(git grep -n -E '^\s*#\s*include\s*"app/' -- src ':!src/app' || true)
[ -z "$hits" ] || fail "the GUI included from a layer below it:
$hits"
# One include root: a header of ours is named with its folder.
hits=$(git grep -n -E '^\s*#\s*include\s*"[^/"]+\.h"' -- src ':!src/about/CompiledVersionBlockSource.cpp' || true)
[ -z "$hits" ] || fail "includes without their folder (write \"workflow/Workflow.h\"):
$hits"

if command -v clang-format >/dev/null; then
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
  clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/check-tree-format.$$ ||
    fail "clang-format would change these files:
$(grep -o '^[^:]*:' /tmp/check-tree-format.$$ | sort -u)"
  rm -f /tmp/check-tree-format.$$
else
  fail "clang-format is missing"
fi
[ $status = 0 ] && echo "check-tree: tree, layers and formatting are clean"
exit $status

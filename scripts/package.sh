#!/usr/bin/env bash
# scripts/package.sh [BUILD_DIR] — builds the Debian package
# BUILD_DIR/zelmaro_<version>_<arch>.deb (default build/) and checks it:
# desktop entry, AppStream file and lintian, which must report no error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo

cd "$dir"
rm -f zelmaro_*.deb
cpack -G DEB >/dev/null 2>&1 || cpack -G DEB
deb=$(echo zelmaro_*.deb)
[ -f "$deb" ] || { echo "cpack made no package" >&2; exit 1; }

# Check the files as they lie in the package, not their sources.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
  appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
# lintian says when it runs as root, as CI does; that line is not a finding.
status=0
lintian --fail-on error "$deb" >"$unpacked/lintian.txt" 2>&1 || status=$?
grep -v 'running with root privileges' "$unpacked/lintian.txt" || true
[ "$status" -eq 0 ] || { echo "lintian found errors" >&2; exit 1; }
echo "Package: $dir/$deb"

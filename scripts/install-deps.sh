#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Only missing packages are fetched; nothing happens when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n libgl-dev qt6-tools-dev qt6-l10n-tools gettext python3
  fonts-liberation2
  libimage-exiftool-perl
  xvfb xauth imagemagick
  locales
  librsvg2-bin desktop-file-utils appstream lintian
  clang clang-format
)
if [ "${ZELMARO_WINDOWS:-0}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine googletest)
fi
if [ "${ZELMARO_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

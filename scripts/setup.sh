#!/usr/bin/env bash
# Installs what the program and its tests need on Debian 12, then configures and builds
# everything, or only the targets named with --target.
# Usage: scripts/setup.sh [--target NAME]... BUILD_DIR [extra cmake arguments]
set -euo pipefail

# The arguments are checked first: a wrong call installs nothing.
targets=()
while [ $# -ge 2 ] && [ "$1" = --target ] && [ -n "$2" ]; do
  targets+=(--target "$2")
  shift 2
done
if [ $# -lt 1 ] || [ -z "$1" ] || [[ "$1" == -* ]]; then
  echo "usage: $0 [--target NAME]... BUILD_DIR [cmake arguments]" >&2
  echo "  for example: $0 build -DCMAKE_BUILD_TYPE=RelWithDebInfo" >&2
  exit 2
fi

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs libpng-dev
  libheif-dev liblcms2-dev
  libgtest-dev libbenchmark-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth
  desktop-file-utils strace
  dpkg-dev locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "These packages are missing: ${missing[*]}" >&2
      echo "Installing them needs root, and sudo is not installed. Run as root:" >&2
      echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
      echo "then run this script again." >&2
      exit 1
    fi
    sudo="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  # Through env: sudo would drop the variable, and a question would look like a hang.
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
shift
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" "${targets[@]}"

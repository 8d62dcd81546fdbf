#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it with .clang-format.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if ! command -v clang-format >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-format >/dev/null
fi
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "Formatting differs from .clang-format: run clang-format -i on the files named above." >&2
  exit 1
fi
echo "Formatting: ${#sources[@]} files as .clang-format says."

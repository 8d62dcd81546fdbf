#!/usr/bin/env bash
# Builds the BMP reader's fuzz target with clang's libFuzzer (and AddressSanitizer and
# UndefinedBehaviorSanitizer) in its own build folder, then runs it over the seed corpus for
# SECONDS (60 unless given). Fails on a crash, a leak, or an input that takes over 5 seconds.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"

if ! command -v clang++ >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: clang"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang >/dev/null
fi

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DRUMORA_FUZZ=ON >/dev/null
cmake --build "$build" --target bmp_fuzzer

# New inputs go to a scratch folder (the first one named); the committed seeds stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bmp_fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -detect_leaks=1 \
  -print_final_stats=1 "$work" "$root/tests/data/bmp" "$root/logo_design"

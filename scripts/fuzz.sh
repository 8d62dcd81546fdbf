#!/usr/bin/env bash
# Builds the fuzz targets of the BMP and PNG readers, the Exif orientation reader and the HEIF
# reader with clang's libFuzzer (and AddressSanitizer and UndefinedBehaviorSanitizer) in their own
# build folder, then runs each over its seed corpus for an equal share of SECONDS (60 unless
# given) in all. Fails on a crash, a leak, or an input that takes over 5 seconds.
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
targets=(bmp_fuzzer png_fuzzer exif_fuzzer heif_fuzzer)
cmake --build "$build" --target "${targets[@]}"

# New inputs go to a scratch folder (the first one named); the committed seeds stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
share=$(((seconds + ${#targets[@]} - 1) / ${#targets[@]}))
run() {
  local target="$1"
  shift
  mkdir -p "$work/$target"
  "$build/$target" -max_total_time="$share" -timeout=5 -rss_limit_mb=2048 -detect_leaks=1 \
    -print_final_stats=1 "$work/$target" "$@"
}
run bmp_fuzzer "$root/tests/data/bmp" "$root/logo_design"
# Seeds beyond a few kilobytes only slow the search.
run png_fuzzer -max_len=4096 "$root/tests/data/png"
# An Exif segment lies in a file's first 64 KB.
run exif_fuzzer -max_len=65600 "$root/tests/data/jpeg"
# The HEIF seeds are small photos the library's encoder makes afresh.
mkdir -p "$work/heif_seeds"
# The encoder keeps a few blocks to the end of the process: not ours to report.
ASAN_OPTIONS=detect_leaks=0 "$build/heif_fuzzer" --seeds "$work/heif_seeds"
run heif_fuzzer -max_len=65536 "$work/heif_seeds"

#!/usr/bin/env bash
# Sets up, builds and runs every test; then builds and runs them all again under
# AddressSanitizer and UndefinedBehaviorSanitizer, failing on any report. Warnings are errors
# here, and the sources must be formatted as .clang-format says.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
export QT_QPA_PLATFORM=offscreen

"$root/scripts/setup.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUMORA_WERROR=ON
"$root/scripts/check_format.sh"
ctest --test-dir "$root/build" --output-on-failure --parallel "$(nproc)"

"$root/scripts/setup.sh" "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DRUMORA_SANITIZE=ON \
  -DRUMORA_WERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$(nproc)"

# The BMP and Exif readers under libFuzzer for a minute together, over the committed seed files.
"$root/scripts/fuzz.sh" 60

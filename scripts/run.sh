#!/usr/bin/env bash
# Sets up, builds the program alone (the tests and benchmarks are left to scripts/test.sh) and
# starts it. Arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Checked before anything is installed or built: without a display the program cannot start.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run it under a virtual one (package xvfb) with:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x800x24' $0" >&2
  exit 1
fi
"$root/scripts/setup.sh" --target rumora "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$root/build/app/rumora" "$@"

#!/usr/bin/env bash
# Sets up, builds and starts the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run it under a virtual one with: xvfb-run -a -s '-screen 0 1280x800x24' $0" >&2
  exit 1
fi
exec "$root/build/app/rumora"

#!/usr/bin/env bash
# Builds the Debian package rumora_VERSION_amd64.deb in the source folder, from a release build
# in build-package/ (only the program, its icons and documents are built). Install it with
#   sudo apt install ./rumora_*.deb
# Usage: scripts/package.sh [extra cmake arguments]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"
"$root/scripts/setup.sh" --target rumora --target rumora_icons --target rumora_package_docs \
  "$build" -DCMAKE_BUILD_TYPE=Release -DRUMORA_SYSTEM_PACKAGE=ON -DRUMORA_BENCH=OFF "$@"
rm -f "$build"/rumora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
shopt -s nullglob
built=("$build"/rumora_*.deb)
[ ${#built[@]} -eq 1 ] || { echo "$0: cpack made no package" >&2; exit 1; }
rm -f "$root"/rumora_*.deb
mv -f -- "${built[0]}" "$root/"
echo "$root/$(basename "${built[0]}")"

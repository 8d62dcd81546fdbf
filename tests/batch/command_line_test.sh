#!/bin/sh
# The batch as a user starts it from a terminal with no display: `rumora --batch OUT PHOTOS`.
# Usage: command_line_test.sh RUMORA TEST_PHOTO_FOLDER
set -u
rumora="$1"
photos="$2"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
. "$(dirname "$0")/../checks.sh"
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_CONFIG_HOME="$home/config" \
    XDG_DATA_HOME="$home/data" LANG=ja_JP.UTF-8 "$rumora" --batch "$@"
}
printed="$(run "$home/out" "$photos/testorig.jpg" "$photos/monkey12.jpg")"
status=$?
check "one photo made and one failed: status 1" [ "$status" -eq 1 ]
check "a line per photo" [ "$(printf '%s\n' "$printed" | wc -l)" -eq 2 ]
check "the made line names the picture" [ "$(printf '%s\n' "$printed" | head -n 1)" = "作成: $home/out/testorig_listing.jpg" ]
check "the picture is a JPEG file" [ "$(head -c 3 "$home/out/testorig_listing.jpg" | od -An -tx1 | tr -d ' ')" = ffd8ff ]
run "$home/out" --size 640x480 "$photos/testorig.jpg" 2>/dev/null
check "a usage error: status 2" [ $? -eq 2 ]
"$rumora" --help | grep -q -- "--batch"
check "--help lists the batch" [ $? -eq 0 ]
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Installs a finished build for a user whose home is a fresh temporary folder, and checks what a
# seller relies on: the program folder, the command, the menu entry and icon, a start from another
# working folder, an upgrade that keeps the settings record, and an uninstall that leaves it.
# Usage: tests/install/install_test.sh BUILD_DIR
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/../.." && pwd)"
for tool in desktop-file-validate strace timeout cmp od; do
  if ! command -v "$tool" >/dev/null; then
    echo "install: FAILED: $tool is missing (scripts/setup.sh installs it)"
    exit 1
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME
program="$HOME/.local/lib/rumora"
command="$HOME/.local/bin/rumora"
entry="$HOME/.local/share/applications/rumora.desktop"
icons="$HOME/.local/share/icons/hicolor"

source "$root/tests/checks.sh"

run_install() {
  "$root/scripts/install.sh" --build-dir "$build" "$@" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; return 1; }
}

same_file() {
  cmp "$1" "$2" || return 1
}

is_zero_record() {
  [ "$(stat -c %s "$1")" -eq 736 ] && cmp -s "$1" <(head -c 736 /dev/zero) ||
    { echo "  $1 is not 736 zero bytes"; return 1; }
}

program_folder_is_complete() {
  local ok=0
  [ -x "$program/rumora" ] || { echo "  no executable $program/rumora"; ok=1; }
  same_file "$root/help/frame.htm" "$program/help/frame.htm" || ok=1
  for n in 1 2 3; do
    same_file "$root/logo_design/logo$n.bmp" "$program/logo_design/logo$n.bmp" || ok=1
  done
  return $ok
}

command_leads_to_program() {
  [ "$(readlink -f "$command")" = "$(readlink -f "$program/rumora")" ] ||
    { echo "  $command leads to '$(readlink -f "$command")'"; return 1; }
}

entry_has() {
  grep -qxF -- "$1" "$entry" || { echo "  no line '$1' in $entry"; return 1; }
}

entry_is_valid() {
  local report
  report="$(desktop-file-validate "$entry" 2>&1)" && [ -z "$report" ] ||
    { echo "$report"; return 1; }
}

# An installed PNG icon whose header gives SIZE x SIZE.
icon_has_size() {
  local png="$icons/$1x$1/apps/rumora.png"
  [ -f "$png" ] || { echo "  $png missing"; return 1; }
  local header
  header="$(od -An -tx1 -j0 -N24 "$png" | tr -d ' \n')"
  local expected
  expected="$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$1" "$1")"
  [ "$header" = "$expected" ] || { echo "  $png header $header, expected $expected"; return 1; }
}

# Starts the installed command under the offscreen platform from a working folder that holds a
# record of its own, and expects the program still up after 5 seconds, having read the record
# beside its executable and written nothing.
starts_from_elsewhere() {
  local elsewhere="$work/elsewhere"
  mkdir -p "$elsewhere"
  printf 'not the record' >"$elsewhere/rumora.dat"
  cp "$program/rumora.dat" "$work/record.before"
  local status=0
  (cd "$elsewhere" && QT_QPA_PLATFORM=offscreen strace -f -qq -s 4096 -e trace=openat \
    -o "$work/trace" timeout 5 "$command" >"$work/run.log" 2>&1) || status=$?
  local ok=0
  if [ "$status" -ne 124 ]; then
    echo "  the program ended with status $status before 5 seconds:"
    cat "$work/run.log"
    ok=1
  fi
  local record="$(readlink -f "$program")/rumora\.dat"
  local record_read="openat\(AT_FDCWD, \"$record\", O_RDONLY[^)]*\) = [0-9]+$"
  if ! grep -qE "$record_read" "$work/trace"; then
    echo "  the record beside the executable was not read:"
    grep -F rumora.dat "$work/trace"
    ok=1
  fi
  if grep -F "\"$elsewhere/rumora.dat\"" "$work/trace" | grep -q . ||
    grep -qE 'openat\(AT_FDCWD, "rumora\.dat"' "$work/trace"; then
    echo "  the record of the working folder was opened"
    ok=1
  fi
  same_file "$work/record.before" "$program/rumora.dat" || ok=1
  return $ok
}

# A record with recorded logo places and folders, as a seller's would be after some use.
write_used_record() {
  {
    printf '\x07\x00\x00\x00'
    printf '\x78\x00\x00\x00\x28\x00\x00\x00\x41\x00\x00\x00'  # LOGO1 at (120, 40), 65
    printf '\x0a\x00\x00\x00\x0b\x00\x00\x00\x64\x00\x00\x00'  # LOGO2 at (10, 11), 100
    printf '\xff\xff\xff\xff\x00\x01\x00\x00\x00\x00\x00\x00'  # LOGO3 at (-1, 256), 0
    head -c 48 /dev/zero
    printf '\x0e/home/s/photo/'
    head -c 114 /dev/zero
    printf '\x0d/home/s/save/'
    head -c 115 /dev/zero
    head -c 390 /dev/zero | tr '\0' '\252'
  } >"$1"
  [ "$(stat -c %s "$1")" -eq 736 ] || { echo "  the used record is not 736 bytes"; return 1; }
}

upgrade_keeps_record() {
  write_used_record "$work/record.used" || return 1
  cp "$work/record.used" "$program/rumora.dat"
  # Leftovers of an older version: a stale help file and a program that is not this one.
  printf 'old' >"$program/help/old.htm"
  printf '#!/bin/sh\n' >"$program/rumora"
  run_install || return 1
  local ok=0
  same_file "$work/record.used" "$program/rumora.dat" || ok=1
  [ ! -e "$program/help/old.htm" ] || { echo "  a stale help file survived the upgrade"; ok=1; }
  [ "$(head -c 4 "$program/rumora" | od -An -tx1 | tr -d ' ')" = 7f454c46 ] ||
    { echo "  the executable was not replaced"; ok=1; }
  program_folder_is_complete || ok=1
  return $ok
}

uninstall_keeps_record() {
  if ! "$root/scripts/install.sh" --uninstall >"$work/uninstall.log" 2>&1; then
    cat "$work/uninstall.log"
    return 1
  fi
  local ok=0
  for gone in "$program/rumora" "$program/help" "$program/logo_design" "$command" "$entry" \
    "$icons"/{48x48,128x128,256x256}/apps/rumora.png; do
    [ ! -e "$gone" ] && [ ! -L "$gone" ] || { echo "  $gone is still there"; ok=1; }
  done
  same_file "$work/record.used" "$program/rumora.dat" || ok=1
  return $ok
}

purge_removes_record() {
  "$root/scripts/install.sh" --uninstall --purge >/dev/null 2>&1 || return 1
  [ ! -e "$program" ] || { echo "  $program is still there:"; ls -la "$program"; return 1; }
}

if ! run_install; then
  echo "FAIL: scripts/install.sh into a fresh home"
  echo "install: 0 passed, 1 failed"
  exit 1
fi
check "the program folder holds the executable, help page and presets" program_folder_is_complete
check "a first install puts an empty 736-byte record beside the executable" \
  is_zero_record "$program/rumora.dat"
# The record is replaced through a new file beside it, so the folder itself must be writable.
check "the user can write the program folder and its record" \
  test -w "$program" -a -w "$program/rumora.dat"
check "the command leads to the installed executable" command_leads_to_program
check "the menu entry passes desktop-file-validate" entry_is_valid
for line in "Name=ルモラ" "Categories=Graphics;Photography;" "Icon=rumora" "Exec=\"$command\" %f" \
  "MimeType=image/jpeg;image/heic;image/heif;" "Comment=Turn photos into 600×450 listing pictures for online auctions"; do
  check "the menu entry has '$line'" entry_has "$line"
done
check "the menu entry has a Japanese comment" grep -q '^Comment\[ja\]=.' "$entry"
for size in 48 128 256; do
  check "the icon is installed at ${size}x${size}" icon_has_size "$size"
done
check "the installed program starts from another working folder and reads its own record" \
  starts_from_elsewhere
check "installing again upgrades the program and keeps a used record byte for byte" \
  upgrade_keeps_record
check "uninstalling removes the program and keeps the record" uninstall_keeps_record
check "uninstalling with --purge removes the record and the folder" purge_removes_record

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

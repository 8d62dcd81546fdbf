#!/usr/bin/env bash
# Builds the Debian package and tries it on a clean system. Checks the package itself (its files,
# the dependencies read from the linked libraries, lintian, the menu entry, the AppStream
# metadata); then, in a fresh Debian 12 root, installs it with apt-get, starts it as an ordinary
# user on a virtual display (with a photo to open when the menu entry passes one), closes it,
# and expects the user's settings record made in ~/.local/share/rumora/, nothing under /usr
# changed, and the record kept after `apt-get remove rumora`.
#
# It needs root, dpkg-deb and Debian's package mirror, and takes minutes, so it runs only when
# RUMORA_PACKAGE_TEST=1; otherwise it says why and exits with 77 (CTest: skipped). The fresh root
# is made once with debootstrap and kept as a tarball in RUMORA_PACKAGE_CACHE
# (default /var/cache/rumora-package-test).
set -uo pipefail

skip() {
  echo "package: SKIPPED: $*"
  exit 77
}
[ "${RUMORA_PACKAGE_TEST:-}" = 1 ] ||
  skip "set RUMORA_PACKAGE_TEST=1 to build the package and try it in a fresh Debian 12 root"
[ "$(id -u)" -eq 0 ] || skip "making a fresh root needs root"
command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing: this is no Debian system"

root="$(cd "$(dirname "$0")/../.." && pwd)"
cache="${RUMORA_PACKAGE_CACHE:-/var/cache/rumora-package-test}"
mirror=http://deb.debian.org/debian

# The tools of this test alone, installed when missing.
tools=(debootstrap lintian appstream xdotool python3-xlib xvfb desktop-file-utils)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" \
    >/dev/null || { echo "package: FAILED: cannot install ${missing[*]}"; exit 1; }
fi

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  # Only this file system: nothing mounted into the fresh root is ever followed.
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

source "$root/tests/checks.sh"
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# ---- The package itself.
version="$(sed -n 's/^project(rumora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
if ! deb="$("$root/scripts/package.sh" 2>"$work/package.log" | tail -n 1)" || [ ! -f "$deb" ]; then
  cat "$work/package.log"
  echo "FAIL: scripts/package.sh"
  failed=1
  finish
fi
check "the package is named rumora_${version}_amd64.deb" \
  test "$(basename "$deb")" = "rumora_${version}_amd64.deb"

dpkg-deb -x "$deb" "$work/contents"
has_file() {
  [ -f "$work/contents/$1" ] || { echo "  the package has no $1"; return 1; }
}
for file in usr/lib/rumora/rumora usr/lib/rumora/help/frame.htm usr/lib/rumora/rumora.dat \
  usr/lib/rumora/logo_design/logo{1,2,3}.bmp usr/share/applications/rumora.desktop \
  usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/rumora.png \
  usr/share/metainfo/jp.rumora.Rumora.metainfo.xml usr/share/man/man1/rumora.1.gz \
  usr/share/doc/rumora/copyright; do
  check "the package holds $file" has_file "$file"
done
check "/usr/bin/rumora leads to the program folder" \
  test "$(readlink "$work/contents/usr/bin/rumora")" = ../lib/rumora/rumora
check "the starting record is 736 zero bytes" \
  cmp -s "$work/contents/usr/lib/rumora/rumora.dat" <(head -c 736 /dev/zero)

depends="$(dpkg-deb -f "$deb" Depends)"
depends_on() {
  [[ ", $depends," == *", $1 "* || ", $depends," == *", $1,"* ]] ||
    { echo "  Depends: $depends"; return 1; }
}
# Read from the linked libraries; the fonts are added by name.
for p in libc6 libjpeg62-turbo libqt6widgets6 libqt6gui6 libqt6core6 fonts-ipafont-gothic; do
  check "the package depends on $p" depends_on "$p"
done

validates() {
  local report
  report="$("$@" 2>&1)" || { echo "$report"; return 1; }
}
check "the menu entry passes desktop-file-validate" \
  validates desktop-file-validate "$work/contents/usr/share/applications/rumora.desktop"
check "the AppStream metadata passes appstreamcli validate" validates appstreamcli validate \
  --no-net "$work/contents/usr/share/metainfo/jp.rumora.Rumora.metainfo.xml"
lintian_clean() {
  lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1
  local status=$?
  sed 's/^/  lintian: /' "$work/lintian.log"
  return $status
}
check "lintian reports no errors" lintian_clean

# ---- A fresh Debian 12 root.
tarball="$cache/bookworm-minbase.tar.gz"
if [ ! -f "$tarball" ]; then
  mkdir -p "$cache"
  echo "package: making a fresh Debian 12 root (once; kept in $tarball)"
  if ! debootstrap --variant=minbase bookworm "$work/made" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    ! tar -C "$work/made" -czf "$tarball.new" . || ! mv "$tarball.new" "$tarball"; then
    tail -n 20 "$work/debootstrap.log"
    echo "FAIL: debootstrap"
    failed=$((failed + 1))
    finish
  fi
  rm -rf --one-file-system "$work/made"
fi
fresh="$work/root"
mkdir -p "$fresh"
tar -C "$fresh" -xzf "$tarball"
cp /etc/resolv.conf "$fresh/etc/resolv.conf"
mkdir -p "$fresh/tmp/.X11-unix"

# The display: Xvfb outside, its socket shown inside, so that only the package's dependencies are
# installed in the fresh root.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -ac 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(cat "$work/display")"

# in_root [--userspec=USER:GROUP] COMMAND...: runs COMMAND in the fresh root, with /proc and the
# display's socket mounted in a mount namespace of its own, gone when COMMAND ends.
in_root() {
  local options=()
  [[ "$1" != --userspec=* ]] || { options+=("$1"); shift; }
  unshare --mount --fork --propagation private sh -c '
    fresh="$1"; shift
    mount -t proc proc "$fresh/proc" && mount --bind /tmp/.X11-unix "$fresh/tmp/.X11-unix" &&
      exec chroot "$@"' sh "$fresh" "${options[@]}" "$fresh" "$@"
}

cp "$deb" "$fresh/tmp/"
installs() {
  in_root sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq /tmp/$(basename "$deb")" >"$work/apt.log" 2>&1 ||
    { tail -n 20 "$work/apt.log"; return 1; }
}
if ! installs; then
  echo "FAIL: apt-get install ./$(basename "$deb") in the fresh root"
  failed=$((failed + 1))
  finish
fi
passed=$((passed + 1))

in_root useradd -m -s /bin/sh seller
home="$fresh/home/seller"
record="$home/.local/share/rumora/rumora.dat"
photo=()
# The menu entry passing a file means the program opens a photo named on its command line.
if grep -q '^Exec=.*%[fF]' "$work/contents/usr/share/applications/rumora.desktop"; then
  mkdir -p "$home/photos"
  cp "$root/tests/data/jpeg/tower.jpg" "$home/photos/"
  in_root chown -R seller:seller /home/seller/photos
  photo=(/home/seller/photos/tower.jpg)
fi

snapshot_usr() {
  (cd "$fresh" && find usr -printf '%p %y %m %U %s %T@ %l\n' | sort)
}
snapshot_usr >"$work/usr.before"

# Starts the installed command as the user, waits for its window, closes it as a window manager
# would, and expects the program to end of itself with status 0.
starts_and_closes() {
  in_root --userspec=seller:seller env -i HOME=/home/seller USER=seller LANG=C.UTF-8 \
    PATH=/usr/bin:/bin DISPLAY="$display" rumora "${photo[@]}" >"$work/run.log" 2>&1 &
  local pid=$!
  local window
  window="$(DISPLAY="$display" timeout 60 xdotool search --sync --onlyvisible --classname '^rumora$' |
    head -n 1)"
  if [ -z "$window" ]; then
    echo "  no window appeared:"
    cat "$work/run.log"
    kill "$pid"
    return 1
  fi
  sleep 3  # the photo is opened after the window shows
  /usr/bin/python3 - "$display" "$window" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display(sys.argv[1])
window = d.create_resource_object("window", int(sys.argv[2]))
close = protocol.event.ClientMessage(
    window=window, client_type=d.intern_atom("WM_PROTOCOLS"),
    data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
window.send_event(close, event_mask=X.NoEventMask)
d.flush()
PY
  local status=0
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "  the program did not end when its window was closed"
    kill "$pid"
    return 1
  fi
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "  the program ended with status $status:"; cat "$work/run.log"; }
  [ "$status" -eq 0 ]
}
check "the installed program starts for an ordinary user and closes" starts_and_closes

record_is_users() {
  [ -f "$record" ] || { echo "  no $record"; ls -laR "$home"; return 1; }
  [ "$(stat -c '%s %U' "$record")" = "736 $(stat -c %U "$home")" ] ||
    { echo "  $record: $(stat -c '%s bytes, owner %U' "$record")"; return 1; }
}
check "the user's record is made in ~/.local/share/rumora/" record_is_users
if [ ${#photo[@]} -gt 0 ]; then
  folder=/home/seller/photos/
  check "the record holds the opened photo's folder" \
    cmp -s <(tail -c +89 "$record" | head -c $((1 + ${#folder}))) \
    <(printf "\\$(printf %o ${#folder})%s" "$folder")
else
  check "the user's record starts as a copy of the installed one" \
    cmp "$record" "$fresh/usr/lib/rumora/rumora.dat"
fi
snapshot_usr >"$work/usr.after"
check "nothing under /usr changed while the program ran" diff "$work/usr.before" "$work/usr.after"

cp "$record" "$work/record.kept"
removes_and_keeps_record() {
  in_root sh -c 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq rumora' \
    >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; return 1; }
  [ ! -e "$fresh/usr/lib/rumora" ] && [ ! -L "$fresh/usr/bin/rumora" ] ||
    { echo "  the program is still installed"; return 1; }
  cmp "$record" "$work/record.kept"
}
check "apt-get remove rumora removes the program and keeps the user's record" \
  removes_and_keeps_record
finish

#!/usr/bin/env bash
# Builds the Debian package and checks it: its files, the Depends read from the linked libraries,
# lintian, the menu entry and AppStream metadata. Then, in a fresh Debian 12 root, installs it
# with apt-get, starts it as an ordinary user on a virtual display (with a photo to open when the
# menu entry passes one), closes it, and expects the user's record in ~/.local/share/rumora/,
# nothing under /usr changed, and the record kept after `apt-get remove rumora`.
#
# It needs root, dpkg-deb and Debian's mirror, and takes minutes: it runs only when
# RUMORA_PACKAGE_TEST=1, else it says why and exits with 77 (CTest: skipped). The fresh root is
# made once with debootstrap and kept as a tarball in RUMORA_PACKAGE_CACHE
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
source "$root/tests/checks.sh"
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}
# must DESCRIPTION COMMAND...: a check the rest cannot do without.
must() {
  check "$@" || finish
}

# This test's own tools.
tools=(debootstrap lintian appstream xdotool python3-xlib xvfb desktop-file-utils)
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tools[@]}" \
    >/dev/null 2>&1 || { echo "package: FAILED: cannot install ${tools[*]}"; exit 1; }
  break
done

work="$(mktemp -d)"
xvfb_pid=""
# Only this file system is removed: nothing mounted into the fresh root is followed.
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid"; rm -rf --one-file-system "$work"' EXIT

# Prints the output of COMMAND... when it fails.
quiet() {
  "$@" >"$work/out" 2>&1 || { tail -n 30 "$work/out"; return 1; }
}

# ---- The package.
version="$(sed -n 's/^project(rumora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
deb="$root/rumora_${version}_amd64.deb"
must "scripts/package.sh makes $(basename "$deb")" quiet "$root/scripts/package.sh"
must "the package is there" test -f "$deb"
contents="$work/contents"
dpkg-deb -x "$deb" "$contents"
has_files() {
  local f ok=0
  for f in "$@"; do [ -f "$contents/$f" ] || { echo "  no $f"; ok=1; }; done
  return $ok
}
check "the package holds the program folder, menu entry, icons, metadata and documents" \
  has_files usr/lib/rumora/{rumora,rumora.dat,help/frame.htm,logo_design/logo{1,2,3}.bmp} \
  usr/share/icons/hicolor/{48x48,128x128,256x256}/apps/rumora.png \
  usr/share/{applications/rumora.desktop,metainfo/jp.rumora.Rumora.metainfo.xml} \
  usr/share/{man/man1/rumora.1.gz,doc/rumora/copyright}
check "/usr/bin/rumora leads to the program folder" \
  test "$(readlink "$contents/usr/bin/rumora")" = ../lib/rumora/rumora
depends_on_linked_libraries() {
  local depends p
  depends="$(dpkg-deb -f "$deb" Depends)"
  for p in libc6 libjpeg62-turbo libheif1 liblcms2-2 libqt6widgets6 libqt6gui6 libqt6core6 \
    fonts-ipafont-gothic; do
    [[ ", $depends," =~ ", $p"[\ ,] ]] || { echo "  no $p in Depends: $depends"; return 1; }
  done
}
check "Depends names the linked libraries and the fonts" depends_on_linked_libraries
check "the menu entry passes desktop-file-validate" \
  quiet desktop-file-validate "$contents/usr/share/applications/rumora.desktop"
check "the AppStream metadata passes appstreamcli validate" \
  quiet appstreamcli validate --no-net "$contents/usr/share/metainfo/jp.rumora.Rumora.metainfo.xml"
lintian --fail-on error "$deb" >"$work/lintian" 2>&1
check "lintian reports no errors" test $? -eq 0
sed 's/^/  lintian: /' "$work/lintian"

# ---- A fresh Debian 12 root, with Xvfb outside and its socket shown inside, so that only the
# package's own dependencies are installed there.
tarball="$cache/bookworm-minbase.tar.gz"
if [ ! -f "$tarball" ]; then
  echo "package: making a fresh Debian 12 root once, kept in $tarball"
  mkdir -p "$cache"
  must "debootstrap makes a fresh root" quiet debootstrap --variant=minbase bookworm \
    "$work/made" http://deb.debian.org/debian
  tar -C "$work/made" -czf "$tarball.new" . && mv "$tarball.new" "$tarball"
  rm -rf --one-file-system "$work/made"
fi
fresh="$work/root"
mkdir -p "$fresh"
tar -C "$fresh" -xzf "$tarball"
cp /etc/resolv.conf "$fresh/etc/"
mkdir -p "$fresh/tmp/.X11-unix"
cp "$deb" "$fresh/tmp/"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -ac 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(cat "$work/display")"

# in_root [--userspec=USER:GROUP] COMMAND...: COMMAND in the fresh root, with /proc and the
# display's socket mounted in a mount namespace that ends with it.
in_root() {
  local options=()
  [[ "$1" != --userspec=* ]] || { options+=("$1"); shift; }
  unshare --mount --fork --propagation private sh -c 'fresh="$1"; shift
    mount -t proc proc "$fresh/proc" && mount --bind /tmp/.X11-unix "$fresh/tmp/.X11-unix" &&
      exec chroot "$@"' sh "$fresh" "${options[@]}" "$fresh" "$@"
}
must "apt-get install ./$(basename "$deb") in a fresh Debian 12 root" quiet in_root sh -c \
  "apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y /tmp/$(basename "$deb")"

in_root useradd -m seller
home="$fresh/home/seller"
record="$home/.local/share/rumora/rumora.dat"
photo=()
# A menu entry that passes a file means the program opens a photo named on its command line.
if grep -q '^Exec=.*%[fF]' "$contents/usr/share/applications/rumora.desktop"; then
  install -D -m 644 "$root/tests/data/jpeg/tower.jpg" "$home/photos/tower.jpg"
  photo=(/home/seller/photos/tower.jpg)
fi
snapshot_usr() { (cd "$fresh" && find usr -printf '%p %y %m %U %s %T@ %l\n' | sort); }
snapshot_usr >"$work/usr.before"

# Starts the command as the user, closes its window as a window manager would, and expects the
# program to end of itself with status 0.
starts_and_closes() {
  in_root --userspec=seller:seller env -i HOME=/home/seller LANG=C.UTF-8 PATH=/usr/bin:/bin \
    DISPLAY="$display" rumora "${photo[@]}" >"$work/run.log" 2>&1 &
  local pid=$! window status=0
  window="$(DISPLAY="$display" timeout 60 xdotool search --sync --onlyvisible \
    --classname '^rumora$' | head -n 1)"
  [ -n "$window" ] || { echo "  no window appeared"; cat "$work/run.log"; kill "$pid"; return 1; }
  sleep 3  # the photo opens after the window shows
  /usr/bin/python3 - "$display" "$window" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display(sys.argv[1])
window = d.create_resource_object("window", int(sys.argv[2]))
window.send_event(protocol.event.ClientMessage(
    window=window, client_type=d.intern_atom("WM_PROTOCOLS"),
    data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
d.flush()
PY
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { echo "  still running after its window was closed"; kill "$pid"; }
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "  ended with status $status:"; cat "$work/run.log"; return 1; }
}
check "the installed program starts for an ordinary user and closes" starts_and_closes
check "the user's 736-byte record is made in ~/.local/share/rumora/" \
  test "$(stat -c '%s %U' "$record" 2>&1)" = "736 $(stat -c %U "$home")"
if [ ${#photo[@]} -gt 0 ]; then
  folder=/home/seller/photos/
  check "the record holds the opened photo's folder" cmp <(tail -c +89 "$record" |
    head -c $((1 + ${#folder}))) <(printf "\\$(printf %o ${#folder})%s" "$folder")
else
  check "the user's record is a copy of the installed one" \
    cmp "$record" "$fresh/usr/lib/rumora/rumora.dat"
fi
snapshot_usr >"$work/usr.after"
check "nothing under /usr changed while the program ran" diff "$work/usr.before" "$work/usr.after"

cp "$record" "$work/record.kept"
check "apt-get remove rumora succeeds" \
  quiet in_root sh -c 'DEBIAN_FRONTEND=noninteractive apt-get remove -y rumora'
check "the program is gone" test ! -e "$fresh/usr/lib/rumora" -a ! -L "$fresh/usr/bin/rumora"
check "the user's record stays" cmp "$record" "$work/record.kept"
finish

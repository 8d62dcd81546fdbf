#!/usr/bin/env bash
# Installs ルモラ for the current user, without root:
#   PREFIX/lib/rumora/          the program folder (executable, help/, logo_design/, rumora.dat);
#                               the settings record lives beside the executable, so the folder
#                               must be the user's own and writable
#   PREFIX/bin/rumora           the command
#   PREFIX/share/applications/rumora.desktop and PREFIX/share/icons/hicolor/*/apps/rumora.png
#                               the menu entry and its icon
# PREFIX is ~/.local unless --prefix names another folder. Running it again upgrades the program
# and keeps the settings record. --uninstall removes what it installed and keeps the settings
# record, unless --purge is given too.
set -euo pipefail

usage() {
  cat >&2 <<EOF
usage: $0 [--prefix DIR] [--build-dir BUILD]
       $0 --uninstall [--purge] [--prefix DIR]
  --prefix DIR      install under DIR instead of ~/.local
  --build-dir BUILD take the program from this finished build instead of building build/
  --uninstall       remove the program; its settings record rumora.dat stays
  --purge           with --uninstall: remove the settings record too
EOF
  exit 2
}

root="$(cd "$(dirname "$0")/.." && pwd)"
prefix=""
build=""
uninstall=0
purge=0
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || usage; prefix="$2"; shift 2 ;;
    --build-dir) [ $# -ge 2 ] || usage; build="$2"; shift 2 ;;
    --uninstall) uninstall=1; shift ;;
    --purge) purge=1; shift ;;
    *) usage ;;
  esac
done
[ "$purge" -eq 0 ] || [ "$uninstall" -eq 1 ] || usage
if [ -z "$prefix" ]; then
  [ -n "${HOME:-}" ] || { echo "$0: HOME is not set; name a folder with --prefix" >&2; exit 2; }
  prefix="$HOME/.local"
fi
case "$prefix" in
  *$'\n'*) echo "$0: the prefix must not contain a line break" >&2; exit 2 ;;
  /*) ;;
  *) prefix="$PWD/$prefix" ;;
esac

program="$prefix/lib/rumora"
command="$prefix/bin/rumora"
entry="$prefix/share/applications/rumora.desktop"
icons="$prefix/share/icons/hicolor"

# Menus and icon themes read caches; tell them the folders changed.
refresh_desktop() {
  if command -v update-desktop-database >/dev/null && [ -d "$(dirname "$entry")" ]; then
    update-desktop-database -q "$(dirname "$entry")" || true
  fi
  if [ -d "$icons" ]; then
    touch "$icons"
    if [ -f "$icons/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null; then
      gtk-update-icon-cache -q -f -t "$icons" || true
    fi
  fi
}

# The program's own files; the settings record is not among them.
remove_program() {
  rm -rf -- "$program/rumora" "$program/help" "$program/logo_design"
}

if [ "$uninstall" -eq 1 ]; then
  remove_program
  # The command is ours only if it leads to our program.
  if [ -L "$command" ] && [ "$(readlink "$command")" = "$program/rumora" ]; then
    rm -f -- "$command"
  fi
  rm -f -- "$entry"
  rm -f -- "$icons"/*/apps/rumora.png
  refresh_desktop
  if [ "$purge" -eq 1 ]; then
    rm -f -- "$program/rumora.dat"
    rmdir -- "$program" 2>/dev/null || true
    echo "ルモラ removed from $prefix, with its settings record."
  elif [ -f "$program/rumora.dat" ]; then
    echo "ルモラ removed from $prefix; its settings record stays in $program/rumora.dat" \
      "(remove it with --uninstall --purge)."
  else
    echo "ルモラ removed from $prefix."
  fi
  exit 0
fi

if [ -z "$build" ]; then
  build="$root/build"
  "$root/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# The icon sizes are the build's choice: every one it drew is installed.
shopt -s nullglob
built_icons=("$build"/app/icons/hicolor/*/apps/rumora.png)
shopt -u nullglob
if [ ! -x "$build/app/rumora" ] || [ ${#built_icons[@]} -eq 0 ]; then
  echo "$0: $build holds no finished build of the program and its icon: build it first" >&2
  exit 1
fi

mkdir -p -- "$program" "$(dirname "$command")" "$(dirname "$entry")"
if [ ! -w "$program" ] || { [ -e "$program/rumora.dat" ] && [ ! -w "$program/rumora.dat" ]; }; then
  echo "$0: $program is not writable by $(id -un); the program keeps its settings there" >&2
  exit 1
fi

# An upgrade starts from a clean program folder, so files dropped from the program do not
# linger; removing the executable first also lets a running copy go on undisturbed.
remove_program
cmake --install "$build" --prefix "$program" >/dev/null

ln -sfn -- "$program/rumora" "$command"

for png in "${built_icons[@]}"; do
  install -D -m 644 -- "$png" "$icons/${png#"$build/app/icons/hicolor/"}"
done

# Exec takes a quoted argument: \ " ` $ escaped inside the quotes, % doubled; then every value
# of the file escapes its backslashes once more.
exec_path="$command"
exec_path="${exec_path//\\/\\\\}"
exec_path="${exec_path//\"/\\\"}"
exec_path="${exec_path//\`/\\\`}"
exec_path="${exec_path//\$/\\\$}"
exec_path="\"${exec_path//%/%%}\""
exec_path="${exec_path//\\/\\\\}"
try_exec="${command//\\/\\\\}"
template="$(<"$root/app/rumora.desktop.in")"
text="${template//@EXEC@/"$exec_path"}"
text="${text//@TRYEXEC@/"$try_exec"}"
printf '%s\n' "$text" >"$entry.new"
mv -f -- "$entry.new" "$entry"
refresh_desktop

echo "ルモラ installed in $program; start it from the menu or with $command."
case ":${PATH:-}:" in
  *":$(dirname "$command"):"*) ;;
  *) echo "($(dirname "$command") is not on PATH; the menu entry works all the same.)" ;;
esac

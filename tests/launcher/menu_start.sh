#!/usr/bin/env bash
# Starts the window program as the desktop menu does (the desktop entry's Exec
# line) with a home folder of its own, and as a terminal does, and looks at the
# working folder each start ends up in (/proc/PID/cwd) and at the settings
# file there:
#  - the first start from the menu makes ~/Kiv_TQMRZL with the default
#    Kiv_ini.txt and works there;
#  - a second start from the menu keeps a settings file the user has changed;
#  - a start from a terminal keeps the folder it was started in and makes
#    nothing in the home folder.
# Usage: menu_start.sh PROGRAM DESKTOP_FILE DEFAULT_SETTINGS
set -euo pipefail
program=$(realpath "$1") desktop=$2 defaults=$(realpath "$3")
export QT_QPA_PLATFORM=offscreen

tmp=$(mktemp -d)
: >"$tmp/program.log"
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*" >&2
  echo "the program's own messages:" >&2
  cat "$tmp/program.log" >&2
  exit 1
}

# The menu's command: the Exec line with the program's name replaced by the
# program under test. It must name the program and take no file arguments.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
read -r -a menu <<<"$exec_line"
[ "${menu[0]}" = "$(basename "$program")" ] || fail "Exec= starts '${menu[0]}', not the program"
case "$exec_line" in *%*) fail "Exec= passes files or URLs: $exec_line" ;; esac
menu[0]=$program

export HOME=$tmp/home
folder=$HOME/Kiv_TQMRZL
mkdir -p "$HOME" "$tmp/elsewhere"

start() { # FOLDER COMMAND...
  (cd "$1" && exec "${@:2}" 2>>"$tmp/program.log") &
  pid=$!
}
running() { kill -0 "$pid" 2>/dev/null || fail "the program ended at start-up"; }
wait_for_folder() {
  for _ in $(seq 200); do
    [ "$(readlink "/proc/$pid/cwd")" = "$1" ] && return 0
    running
    sleep 0.05
  done
  fail "the program works in $(readlink "/proc/$pid/cwd"), not in $1"
}
stop() {
  running
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

start "$tmp/elsewhere" "${menu[@]}"
wait_for_folder "$folder"
cmp "$defaults" "$folder/Kiv_ini.txt" || fail "the first start did not write the default settings file"
sleep 1 # the window is up and stays up
stop

printf '1\r\n' >"$folder/Kiv_ini.txt"
start "$tmp/elsewhere" "${menu[@]}"
wait_for_folder "$folder"
sleep 1
stop
[ "$(od -An -c "$folder/Kiv_ini.txt" | tr -d ' ')" = '1\r\n' ] || fail "a second start replaced the changed settings file"

rm -rf "$folder"
cp "$defaults" "$tmp/elsewhere/Kiv_ini.txt"
start "$tmp/elsewhere" "$program"
sleep 2
[ "$(readlink "/proc/$pid/cwd")" = "$tmp/elsewhere" ] || fail "a start from a terminal left its folder"
stop
[ ! -e "$folder" ] || fail "a start from a terminal made $folder"
echo "menu start: folder made once, the user's file kept, a terminal's folder kept"

#!/usr/bin/env bash
# The task bar names the program's window by its title alone: "Tavi桌面记事", with no
# application name appended to it.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$*" >&2; cat "$work"/*.log >&2 2>/dev/null || true; exit 1; }

layout_program_folder "$work/p"
mkdir -p "$work/tmp"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp

TAVI_HOME=$work/p "$app_dir/Tavi" >"$work/out.log" 2>&1 &
pid=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --pid "$pid" --name 'Tavi' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended at start-up"
  sleep 0.1
done
[ -n "$win" ] || fail "no window"
name=$(xprop -id "$win" -notype _NET_WM_NAME)
[ "$name" = '_NET_WM_NAME = "Tavi桌面记事"' ] || fail "the window is named: $name"
echo "$name"

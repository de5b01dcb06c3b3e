#!/usr/bin/env bash
# End to end: the real program under Xvfb opens Qt's own font, colour and save dialogs
# from its tool row and options menu; their titles must be Chinese.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
cleanup() { [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

layout_program_folder "$work"
export TAVI_HOME=$work
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$work/run"
unset LANG LANGUAGE LC_ALL # the Chinese comes from the program, not from the locale

"$app_dir/Tavi" >"$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  xdotool search --name 'Tavi桌面记事' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 0.5

# The visible window whose title (as the task bar reads it) begins with $1; the program's
# name may follow.
window_titled() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in "$1"*) echo "$w"; return 0 ;; esac
  done
  return 1
}

# Waits for the dialog titled $1, prints its title and closes it with Escape.
expect_dialog() {
  local id=""
  for _ in $(seq 50); do
    id=$(window_titled "$1") && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "no window titled '$1'; visible windows:" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do xdotool getwindowname "$w" >&2 || true; done
    exit 1
  fi
  echo "dialog: $(xdotool getwindowname "$id")"
  xdotool windowfocus --sync "$id" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 50); do
    window_titled "$1" >/dev/null || return 0
    sleep 0.1
  done
  echo "the dialog '$1' did not close" >&2
  exit 1
}

tuesday_box="553 146"
xdotool mousemove $tuesday_box click 1; sleep 0.3
xdotool mousemove 327 66 click 1       # the font picture
expect_dialog '选择字体'
xdotool mousemove $tuesday_box click 1; sleep 0.3
xdotool mousemove 451 66 click 1       # the colour picture
expect_dialog '选择颜色'
xdotool mousemove 775 67 click 1; sleep 0.5 # "|  选项": the options menu
xdotool key Down Return                # its first item, "内   容   导   出"
expect_dialog '另存为'
kill -0 "$pid" || { echo "the program ended" >&2; cat "$work/out.log" >&2; exit 1; }
echo "Qt's dialogs are titled in Chinese"

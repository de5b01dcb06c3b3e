#!/usr/bin/env bash
# End to end, as a user meets the program: start it on a fresh program folder under
# Xvfb, type into the Tuesday box with real X key events, pick another week and come
# back, close it with its close button, start it again and read the box back.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
cleanup() { pkill -P $$ 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

layout_program_folder "$work"

export TAVI_HOME=$work
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$work/run"

start() {
  "$app_dir/Tavi" >"$work/out.log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    xdotool search --name 'Tavi桌面记事' >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.5
}

close_with_button() {
  # The close picture lights up under the mouse; the lit one takes the click.
  xdotool mousemove 880 10; sleep 0.3
  xdotool mousemove 885 11; sleep 0.3
  xdotool click 1
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  echo "the program did not end on its close button" >&2
  return 1
}

# Calendar cell (row, column) in screen coordinates: the grid starts at (8, 40) of the
# calendar, which sits at (2, 80) of the window; header row 18, rows 27, columns 40 after a 6-pixel one.
cell() { echo $((2 + 8 + 6 + ($2 - 1) * 40 + 20)) $((80 + 40 + 18 + ($1 - 1) * 27 + 13)); }

tuesday_box="553 146"
note="e2e note $RANDOM"

start
xdotool mousemove $tuesday_box click 1; sleep 0.2
xdotool type --delay 20 "$note"; sleep 0.3
# Another week, then back to this one (column 4 is Wednesday).
today_row=$(( ( $(date +%-d) + $(date -d "$(date +%Y-%m-01)" +%w) - 1 ) / 7 + 1 ))
other_row=5; [ "$today_row" -lt 4 ] || other_row=2
read -r x y < <(cell "$other_row" 4); xdotool mousemove "$x" "$y" click 1; sleep 0.4
read -r x y < <(cell "$today_row" 4); xdotool mousemove "$x" "$y" click 1; sleep 0.4
close_with_button

stored=$(sqlite3 "$work/Data/UserData.mdb" "select ContentBak from tb_NewTavi where ContentBak like '%e2e note%'")
[ "$stored" = "$note" ] || { echo "database holds '$stored', expected '$note'" >&2; exit 1; }

start
xdotool mousemove $tuesday_box click 1; sleep 0.2
xdotool key ctrl+a ctrl+c; sleep 0.3
shown=$(xclip -o -selection clipboard 2>/dev/null || true)
close_with_button
[ "$shown" = "$note" ] || { echo "after the restart the box shows '$shown', expected '$note'" >&2; cat "$work/out.log" >&2; exit 1; }
echo "note survived the restart: $note"

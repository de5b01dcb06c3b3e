#!/usr/bin/env bash
# End to end, as a user meets the keyword search: notes stored years ago, Ctrl+F in the
# running program, the keyword typed in another case and Enter; the calendar goes to that
# week and the box shows the note. A day with a note carries its mark in the calendar.
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
fail() { echo "$*" >&2; cat "$work/out.log" >&2 2>/dev/null || true; exit 1; }

# A day of this month other than today and no Sunday, for the mark.
first_dow=$(date -d "$(date +%Y-%m-01)" +%w) # 0 = Sunday
for d in $(seq 1 28); do
  dow=$(( (first_dow + d - 1) % 7 ))
  [ "$d" -ne "$(date +%-d)" ] && [ "$dow" -ne 0 ] && break
done
marked_key=$(date +%Y%m)$(printf '%02d' "$d")
db=$work/Data/UserData.mdb
sqlite3 "$db" "insert into tb_NewTavi values ('20200302', cast('foo Alpha bar' as blob), 'foo Alpha bar');
               insert into tb_NewTavi values ('$marked_key', cast('marked' as blob), 'marked');"

"$app_dir/Tavi" >"$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  xdotool search --name 'Tavi桌面记事' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 0.8

# The mark: top-left corner of the day's cell (grid at (8, 40) of the calendar at (2, 80);
# header row 18, rows 27, columns 40 after a 6-pixel one).
cell_col=$(( (first_dow + d - 1) % 7 + 1 )); cell_row=$(( (first_dow + d - 1) / 7 + 1 ))
mx=$(( 2 + 8 + 6 + (cell_col - 1) * 40 + 4 )); my=$(( 80 + 40 + 18 + (cell_row - 1) * 27 + 4 ))
import -window root "$work/shot.png"
pixel=$(convert "$work/shot.png" -format "%[fx:int(255*p{$mx,$my}.r)],%[fx:int(255*p{$mx,$my}.g)],%[fx:int(255*p{$mx,$my}.b)]" info:)
[ "$pixel" = "90,138,214" ] || fail "day $d has no note mark at ($mx, $my): $pixel"

monday_box="400 150"
xdotool mousemove $monday_box click 1; sleep 0.2
xdotool key ctrl+f; sleep 0.6
xdotool search --name '^查找$' >/dev/null 2>&1 || fail "Ctrl+F opened no search window"
xdotool type --delay 40 "ALPHA"; sleep 0.2
xdotool key Return; sleep 0.8
xdotool key Escape; sleep 0.4
# The Monday box shows the note of 2 March 2020 now.
xdotool mousemove 400 300 click 1; sleep 0.2
xdotool key ctrl+a ctrl+c; sleep 0.3
shown=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$shown" = "foo Alpha bar" ] || fail "after the search the Monday box shows '$shown'"
kill "$pid"
echo "the search found the note of 2020-03-02 and day $d carries its mark"

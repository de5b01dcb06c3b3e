#!/usr/bin/env bash
# A long typing session cut short by SIGKILL, again and again: real X key events go
# into random boxes of random weeks, the program is killed at a random moment, and the
# database must then be sound and hold every note as it was at its last completed save
# (only the keystroke in flight may be missing). The next start must show those notes.
#
# TAVI_E2E_KILLS (default 4) sets the number of kills; TAVI_E2E_MAX_TYPING (seconds,
# default 1.5) the longest stretch of typing before a kill.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
kills=${TAVI_E2E_KILLS:-4}
max_typing=${TAVI_E2E_MAX_TYPING:-1.5}
work=$(mktemp -d)
typer=
cleanup() {
  [ -z "$typer" ] || kill -CONT "$typer" 2>/dev/null || true
  pkill -P $$ 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/check" "$work/tmp"
layout_program_folder "$work"

export TAVI_HOME=$work
export XDG_RUNTIME_DIR=$work/run # the single-instance lock lives here
export TMPDIR=$work/tmp
mkdir -m 700 "$work/run"

pid=
start() {
  "$app_dir/Tavi" >>"$work/out.log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    xdotool search --name 'Tavi桌面记事' >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || { echo "the program ended at start-up" >&2; cat "$work/out.log" >&2; exit 1; }
    sleep 0.1
  done
  sleep 0.5
}

# The six boxes: Monday ... Wednesday above, Thursday, Friday, Saturday with Sunday below.
box_x=(417 553 807 417 553 807)
box_y=(146 146 146 380 380 380)
# Calendar cell (row, column; column 1 is Sunday) in screen coordinates.
cell() { echo $((2 + 8 + 6 + ($2 - 1) * 40 + 20)) $((80 + 40 + 18 + ($1 - 1) * 27 + 13)); }
month_start=$(date +%Y-%m-01)
first_dow=$(date -d "$month_start" +%w)
days_in_month=$(date -d "$month_start +1 month -1 day" +%-d)

declare -A model # day key -> text the database must hold
# The committed ContentBak of every row, read from a copy so that the program's own next
# start, not the check, meets whatever a kill left behind.
snapshot() {
  rm -f "$work"/check/*
  cp "$work"/Data/UserData.mdb* "$work/check/"
  local ok
  ok=$(sqlite3 "$work/check/UserData.mdb" 'pragma integrity_check')
  [ "$ok" = ok ] || { echo "integrity check after kill $1: $ok" >&2; exit 1; }
}
stored() { sqlite3 "$work/check/UserData.mdb" "select ContentBak from tb_NewTavi where YearMonthStr = '$1' order by rowid limit 1"; }

keys=(a b c d e f g h i j k l m n o p q r s t u v w x y z 0 1 2 3 4 5 6 7 8 9 space)
total_keys=0
missing_hist=(0 0 0)
t0=$(date +%s)
last_key=
start
for round in $(seq "$kills"); do
  # A day of this month, and one of the six boxes of its week.
  day=$((RANDOM % days_in_month + 1))
  row=$(( (day + first_dow - 1) / 7 + 1 )); col=$(( (day + first_dow - 1) % 7 + 1 ))
  read -r x y < <(cell "$row" "$col"); xdotool mousemove "$x" "$y" click 1; sleep 0.3
  date_s="$(date +%Y-%m)-$(printf %02d "$day")"
  monday=$(date -d "$date_s -$(( ($(date -d "$date_s" +%w) + 6) % 7 )) days" +%F)
  b=$((RANDOM % 6))
  key=$(date -d "$monday +$b days" +%Y%m%d)
  xdotool mousemove "${box_x[$b]}" "${box_y[$b]}" click 1; sleep 0.2
  xdotool key ctrl+End; sleep 0.1

  # The text to type, then a typer that counts its finished keystrokes (and stops at a
  # key the X server did not take, so that the count stays true).
  text=
  for _ in $(seq 400); do
    k=${keys[$((RANDOM % ${#keys[@]}))]}
    text+=$([ "$k" = space ] && echo -n ' ' || echo -n "$k")
    echo "$k"
  done > "$work/keys"
  echo 0 > "$work/count"
  ( n=0; while read -r k; do xdotool key "$k" || break; n=$((n + 1)); echo $n > "$work/count.new"; mv "$work/count.new" "$work/count"; done < "$work/keys" ) &
  typer=$!
  sleep "$(awk -v m="$max_typing" -v r="$RANDOM" 'BEGIN { printf "%.3f", 0.05 + m * r / 32768 }')"
  # Freeze the typer, then kill the program: what was typed so far is known.
  kill -STOP "$typer"
  sent=$(cat "$work/count")
  kill -KILL "$pid"; wait "$pid" 2>/dev/null || true
  kill -KILL "$typer" 2>/dev/null; kill -CONT "$typer" 2>/dev/null || true; wait "$typer" 2>/dev/null || true
  typer=
  total_keys=$((total_keys + sent))

  snapshot "$round"
  before=${model[$key]:-}
  now=$(stored "$key")
  [ "${now:0:${#before}}" = "$before" ] \
    || { echo "kill $round: $key lost its earlier text: '$before' became '$now'" >&2; exit 1; }
  added=${now:${#before}}
  [ "$added" = "${text:0:${#added}}" ] \
    || { echo "kill $round: $key holds '$added' where '${text:0:${#added}}' was typed" >&2; exit 1; }
  missing=$((sent - ${#added}))
  if [ "$missing" -gt 1 ] || [ "$missing" -lt -1 ]; then
    echo "kill $round: $sent keystrokes sent to $key, ${#added} saved" >&2; exit 1
  fi
  missing_hist[$((missing + 1))]=$((missing_hist[missing + 1] + 1))
  model[$key]=$now
  last_key=$key last_row=$row last_col=$col last_b=$b
  for k in "${!model[@]}"; do
    [ "$k" = "$key" ] && continue
    got=$(stored "$k")
    [ "$got" = "${model[$k]}" ] || { echo "kill $round: $k changed from '${model[$k]}' to '$got'" >&2; exit 1; }
  done
  # The killed instance's lock must not keep the next start out.
  start
done

# Read the last typed box back through the program itself.
read -r x y < <(cell "$last_row" "$last_col"); xdotool mousemove "$x" "$y" click 1; sleep 0.4
xdotool mousemove "${box_x[$last_b]}" "${box_y[$last_b]}" click 1; sleep 0.2
xdotool key ctrl+a ctrl+c; sleep 0.3
shown=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$shown" = "${model[$last_key]}" ] \
  || { echo "after the restart $last_key shows '$shown', expected '${model[$last_key]}'" >&2; exit 1; }
kill -KILL "$pid"; wait "$pid" 2>/dev/null || true

echo "kills: $kills, keystrokes: $total_keys, days typed into: ${#model[@]}, seconds: $(( $(date +%s) - t0 ))"
echo "saved = sent+1: ${missing_hist[0]}, saved = sent: ${missing_hist[1]}, one in flight lost: ${missing_hist[2]}"

#!/usr/bin/env bash
# One running program per program folder. A second start while the first runs ends at
# once, successfully, without touching the notes database; the first keeps running and
# comes to the front. The lock lives in the user's private runtime folder.
# A killed instance's lock does not keep the next start out, not even when its process
# number has since gone to another program. Another program folder is another program.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
work=$(mktemp -d)
cleanup() { pkill -P $$ 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

layout_program_folder "$work/a"
layout_program_folder "$work/b"
mkdir -p "$work/tmp"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run # where the lock lives
export TMPDIR=$work/tmp # where it must not
export XDG_CACHE_HOME=$work/cache

fail() { echo "$*" >&2; cat "$work"/*.log >&2 2>/dev/null || true; exit 1; }
windows() { xdotool search --name 'Tavi桌面记事' 2>/dev/null | wc -l; }
# Starts the program on a folder; waits until the window count reaches $2.
start() {
  TAVI_HOME=$1 "$app_dir/Tavi" >>"$work/out.log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    [ "$(windows)" -ge "$2" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program on $1 ended at start-up"
    sleep 0.1
  done
  [ "$(windows)" -ge "$2" ] || fail "no window for the program on $1"
  sleep 0.5
}
# Of two windows, the one higher in the root window's stacking order (listed last).
topmost() {
  local top=
  while read -r id _; do
    [ "$((id))" = "$1" ] && top=$1
    [ "$((id))" = "$2" ] && top=$2
  done < <(xwininfo -root -children | grep -o '^ *0x[0-9a-f]*')
  echo "$top"
}
fingerprint() { (cd "$work/a/Data" && sha256sum UserData.mdb && stat -c '%n %s %y' UserData.mdb* ); }

start "$work/a" 1
first=$pid
# A note in the database, so that an overwrite would show.
xdotool mousemove 553 146 click 1; sleep 0.2
xdotool type --delay 20 "first instance"; sleep 0.3
xdotool mousemove 417 380 click 1; sleep 0.3
# Another program folder is another program: it runs beside the first and is in front.
start "$work/b" 2
other=$pid
kill -0 "$first" || fail "the first instance ended when another folder's program started"
xdotool mousemove 553 146 click 1; sleep 0.3
[ "$(xdotool getwindowfocus getwindowpid)" = "$other" ] || fail "the other folder's window did not take the focus"
first_window=$(xdotool search --pid "$first" --name 'Tavi桌面记事' | head -1)
other_window=$(xdotool search --pid "$other" --name 'Tavi桌面记事' | head -1)
[ "$(topmost "$first_window" "$other_window")" = "$other_window" ] || fail "the other folder's window is not in front"
before=$(fingerprint)

t0=$(date +%s%N)
rc=0
TAVI_HOME=$work/a timeout 10 "$app_dir/Tavi" >>"$work/second.log" 2>&1 || rc=$?
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
[ "$rc" = 0 ] || fail "the second start ended with $rc"
[ "$ms" -lt 3000 ] || fail "the second start took $ms ms"
sleep 0.3
[ "$(fingerprint)" = "$before" ] || fail "the second start touched the database: $before / $(fingerprint)"
kill -0 "$first" 2>/dev/null || fail "the first instance ended"
[ "$(windows)" = 2 ] || fail "$(windows) windows after the second start"
# Without a window manager the stacking order tells what is in front.
sleep 0.5
[ "$(topmost "$first_window" "$other_window")" = "$first_window" ] \
  || fail "the second start did not bring the first window forward"
# ... and takes the keyboard focus from the other window, which had it.
[ "$(xdotool getwindowfocus getwindowpid)" = "$first" ] || fail "the first window did not take the keyboard focus"
echo "second start ended after $ms ms with 0, database untouched, first window in front with the focus"
kill "$other"; wait "$other" 2>/dev/null || true


# Killed: its lock stays behind and must not keep the next start out.
lock=$(ls "$work"/run/*.lock 2>/dev/null | head -1)
[ -n "$lock" ] || fail "no lock file in $work/run"
[ -z "$(ls -A "$work/tmp")" ] || fail "the program left files in the temporary folder: $(ls "$work/tmp")"
[ "$(stat -c %a "$lock")" = 600 ] || fail "the lock file is $(stat -c %a "$lock")"
kill -KILL "$first"; wait "$first" 2>/dev/null || true
[ -e "$lock" ] || fail "the killed instance's lock vanished; the test proves nothing"
start "$work/a" 1
second=$pid
sleep 1
kill -0 "$second" 2>/dev/null || fail "the start after a kill ended"
echo "a killed instance's lock was taken over"

# The same again, with the dead instance's process number now used by another program.
kill -KILL "$second"; wait "$second" 2>/dev/null || true
sleep 300 &
squatter=$!
sed -i "1s/.*/$squatter/" "$lock"
start "$work/a" 1
third=$pid
sleep 1
kill -0 "$third" 2>/dev/null || fail "a lock naming another program's process kept the start out"
kill "$squatter"
echo "a lock naming another program's process was taken over"
kill "$third"; wait "$third" 2>/dev/null || true

# A runtime folder others may enter is not used: the lock goes to the user's cache folder.
chmod 755 "$work/run"
start "$work/a" 1
fourth=$pid
ls "$work"/cache/tavi-run/*.lock >/dev/null 2>&1 || fail "no lock in the cache folder beside an open runtime folder"
[ "$(stat -c %a "$work/cache/tavi-run")" = 700 ] || fail "the cache's lock folder is $(stat -c %a "$work/cache/tavi-run")"
rc=0
TAVI_HOME=$work/a timeout 10 "$app_dir/Tavi" >>"$work/second.log" 2>&1 || rc=$?
[ "$rc" = 0 ] && [ "$(windows)" = 1 ] || fail "the second start beside an open runtime folder: $rc, $(windows) windows"
kill "$fourth"; wait "$fourth" 2>/dev/null || true
echo "an open runtime folder was passed over for a private one"

#!/usr/bin/env bash
# Takes a screenshot of the whole main window under Xvfb, with a few notes in the
# boxes, on a throw-away program folder.   Usage: tools/window-screenshot.sh OUT.png [BUILD_DIR]
set -euo pipefail
out=$(realpath -m "${1:-window.png}")
here=$(cd "$(dirname "$0")/.." && pwd)
app_dir=${2:-$here/build}/Tavi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/Data" "$work/source/DeskTopBG"
cp "$app_dir/Data/UserData.mdb" "$work/Data/"
cp -r "$app_dir/web" "$work/"
cp "$app_dir"/Data/*.tsv "$work/Data/" 2>/dev/null || true
cp "$app_dir"/source/DeskTopBG/A1.bmp "$work/source/DeskTopBG/" 2>/dev/null || true
printf '1\r\n913\r\n540\r\n0\r\n0\r\n1\r\n' > "$work/Data/FormSize.ini"

export TAVI_HOME=$work XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$work/run"
xvfb-run -a -s "-screen 0 960x600x24" bash -c '
  "$1/Tavi" & pid=$!
  for _ in $(seq 100); do xdotool search --name "Tavi桌面记事" >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 1
  xdotool mousemove 450 140 click 1; sleep 0.2
  xdotool type --delay 5 "Weekly review 09:30"; xdotool key Return
  xdotool type --delay 5 "Call the printer shop"; sleep 0.3
  xdotool mousemove 260 500; sleep 0.5
  import -window root -crop 913x540+0+0 "$2"
  kill $pid
' _ "$app_dir" "$out"
echo "$out"

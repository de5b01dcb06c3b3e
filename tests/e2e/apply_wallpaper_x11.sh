#!/usr/bin/env bash
# "Tavi --apply-wallpaper" on a plain X11 desktop: no window appears, the root window names a
# new picture after each run and the run ends with 0; where nothing can set the wallpaper it
# ends with 1 and says so in Chinese, naming the composed picture. "--help" lists the option.
set -euo pipefail
app_dir=$1 # the built program folder
source "$(dirname "$0")/common.sh"
command -v xwallpaper >/dev/null || { echo "SKIP: xwallpaper is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 2>/dev/null || true; exit 1; }
layout_program_folder "$work/p"
mkdir -p "$work/tmp"
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp TAVI_HOME=$work/p QT_QPA_PLATFORM=xcb
unset XDG_CURRENT_DESKTOP WAYLAND_DISPLAY

"$app_dir/Tavi" --help >"$work/help.log" 2>&1 || true
grep -q -- '--apply-wallpaper' "$work/help.log" || fail "--help does not list --apply-wallpaper"

root_picture() { xprop -root _XROOTPMAP_ID 2>/dev/null || true; }
pictures=()
for run in 1 2; do
  xprop -root -remove _XROOTPMAP_ID 2>/dev/null || true
  t0=$(date +%s%N)
  rc=0
  "$app_dir/Tavi" --apply-wallpaper >"$work/apply.log" 2>&1 || rc=$?
  ms=$(( ($(date +%s%N) - t0) / 1000000 ))
  [ "$rc" = 0 ] || fail "run $run ended with $rc"
  case $(root_picture) in *"pixmap id"*) ;; *) fail "run $run: the root window names no picture" ;; esac
  [ -z "$(xdotool search --name 'Tavi' 2>/dev/null || true)" ] || fail "a window stayed"
  pictures+=("$(root_picture)")
  echo "run $run: ended with 0 after $ms ms, root picture: $(root_picture)"
done

# Nothing on the path that sets a wallpaper here.
mkdir "$work/bin"
rc=0
PATH=$work/bin "$app_dir/Tavi" --apply-wallpaper >"$work/none.out" 2>"$work/none.err" || rc=$?
[ "$rc" = 1 ] || fail "without a tool the run ended with $rc"
grep -q '无法自动设置此桌面的壁纸' "$work/none.err" || fail "no Chinese message: $(cat "$work/none.err")"
grep -qF "$work/p/source/DeskTopBG/Mix.bmp" "$work/none.err" || fail "the message does not name the picture"
echo "without a tool: ended with 1 and said: $(head -1 "$work/none.err")"

#!/usr/bin/env bash
# The program natively on Wayland under a headless weston, which has no wallpaper interface:
# the window shows (weston configures it and the program draws into it), and an apply says in
# Chinese that the desktop cannot be set automatically and where the composed picture is,
# instead of counting a change that did not happen.
source "$(dirname "$0")/compositor_common.sh"
command -v weston >/dev/null || skip "weston is not installed"
prog=$(layout_user_program)
use_background "$prog" Warm.bmp

user_cmd weston --backend=headless-backend.so --socket=wayland-tavi --idle-time=0
"${ucmd[@]}" >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$run/wayland-tavi" ] && break; sleep 0.1; done
[ -e "$run/wayland-tavi" ] || fail "weston did not start"
sleep 0.5
in_weston() { as_user WAYLAND_DISPLAY=wayland-tavi QT_QPA_PLATFORM=wayland "$@"; }

rc=0
in_weston "$prog/Tavi" --apply-wallpaper >"$work/apply.out" 2>"$work/apply.err" || rc=$?
message=$(cat "$work/apply.err")
echo "weston: --apply-wallpaper ended with $rc and said: $message"
[ "$rc" = 1 ] || fail "the apply on weston ended with $rc"
grep -q '无法自动设置此桌面的壁纸' "$work/apply.err" || fail "no Chinese message on weston"
grep -qF "$prog/source/DeskTopBG/Mix.bmp" "$work/apply.err" || fail "the message does not say where the picture is"
[ -s "$prog/source/DeskTopBG/Mix.bmp" ] || fail "the composed picture is not there"
[ -z "$(running swaybg)" ] || fail "a background client was left running on weston"

# The window: weston gives it a size and the program draws into it (the protocol log of the
# program's own connection says so; weston's headless output cannot be read back).
user_cmd WAYLAND_DISPLAY=wayland-tavi QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$prog/Tavi"
"${ucmd[@]}" >"$work/program.log" 2>&1 &
tavi=$!
pids+=("$tavi")
for _ in $(seq 100); do
  grep -q 'set_title("Tavi桌面记事")' "$work/program.log" 2>/dev/null && \
    grep -q 'xdg_surface@[0-9]*.configure' "$work/program.log" && break
  kill -0 "$tavi" 2>/dev/null || fail "the program ended at start-up"
  sleep 0.1
done
sleep 1
kill -0 "$tavi" 2>/dev/null || fail "the program ended after its window was configured"
grep -q 'set_title("Tavi桌面记事")' "$work/program.log" || fail "no window titled Tavi桌面记事"
attached=$(grep -c 'wl_surface@[0-9]*.attach(wl_buffer@' "$work/program.log" || true)
echo "weston: the window is configured and $attached buffers were attached to its surfaces"
[ "$attached" -ge 1 ] || fail "nothing was drawn into the window"

#!/usr/bin/env bash
# The program natively on Wayland under a headless sway, as sway 1.7 starts on Debian (no
# XDG_CURRENT_DESKTOP) and as a session naming it: the window shows; two applies from the
# command line both reach the screen (read back with grim) and stay after the program has
# ended; no background client of the program's own is left beside sway's.
source "$(dirname "$0")/compositor_common.sh"
for tool in sway swaybg grim swaymsg compare; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
prog=$(layout_user_program)
shots=${TAVI_SHOTS:-$work}

start_sway() {
  cat > "$work/sway.conf" <<CONF
xwayland disable
output * bg #336699 solid_color
CONF
  user_cmd WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf"
  "${ucmd[@]}" >"$work/sway.log" 2>&1 &
  sway_pid=$!
  pids+=("$sway_pid")
  sock=
  for _ in $(seq 100); do
    sock=$(ls "$run"/sway-ipc.*.sock 2>/dev/null | head -1 || true)
    [ -n "$sock" ] && [ -e "$run/wayland-1" ] && break
    sleep 0.1
  done
  [ -n "$sock" ] || fail "sway did not start"
  sleep 0.5
}
stop_sway() {
  kill "$sway_pid" 2>/dev/null || true
  wait "$sway_pid" 2>/dev/null || true
  sleep 0.5
  rm -f "$run"/sway-ipc.*.sock "$run"/wayland-1 "$run"/wayland-1.lock
}
in_sway() { as_user WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$sock" "$@"; }
# Background clients started by the program, not by sway (sway's name their output with -o).
own_clients() {
  local n=0 pid
  for pid in $(running swaybg); do
    tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q -- ' -o ' || n=$((n + 1))
  done
  echo "$n"
}

for desktop in "" sway; do
  label=${desktop:-none}
  start_sway
  good=0
  for bg in Warm.bmp Cool.bmp; do
    use_background "$prog" "$bg"
    rc=0
    in_sway QT_QPA_PLATFORM=wayland ${desktop:+XDG_CURRENT_DESKTOP=$desktop} \
      "$prog/Tavi" --apply-wallpaper >"$work/apply.log" 2>&1 || rc=$?
    [ "$rc" = 0 ] || fail "XDG_CURRENT_DESKTOP=$label: the apply of $bg ended with $rc: $(cat "$work/apply.log")"
    cp "$prog/source/DeskTopBG/Mix.Jpg" "$work/expected.jpg"
    sleep 0.5
    in_sway grim "$work/screen.png"
    share=$(share_like "$work/screen.png" "$work/expected.jpg")
    echo "XDG_CURRENT_DESKTOP=$label: $bg applied, share of the screen showing it $share"
    cp "$work/screen.png" "$shots/sway-$label-$bg.png" 2>/dev/null || true
    awk -v s="$share" 'BEGIN { exit !(s >= 0.9) }' && good=$((good + 1))
  done
  # The program has ended: the picture stays.
  sleep 1
  in_sway grim "$work/after.png"
  after=$(share_like "$work/after.png" "$work/expected.jpg")
  own=$(own_clients)
  echo "XDG_CURRENT_DESKTOP=$label: $good of 2 applies on screen; 1 s after the program ended the share is $after;" \
       "own background clients: $own"
  [ "$good" = 2 ] || fail "XDG_CURRENT_DESKTOP=$label: $good of 2 applies reached the screen"
  awk -v s="$after" 'BEGIN { exit !(s >= 0.9) }' || fail "the picture did not stay after the program ended"
  [ "$own" = 0 ] || fail "$own background clients of the program's own run beside sway's"
  stop_sway
done

# The window shows, natively on Wayland.
start_sway
user_cmd WAYLAND_DISPLAY=wayland-1 SWAYSOCK="$sock" QT_QPA_PLATFORM=wayland "$prog/Tavi"
"${ucmd[@]}" >"$work/program.log" 2>&1 &
tavi=$!
pids+=("$tavi")
shown=
for _ in $(seq 100); do
  shown=$(in_sway swaymsg -t get_tree 2>/dev/null | grep -c '"name": "Tavi桌面记事"' || true)
  [ "$shown" -ge 1 ] && break
  kill -0 "$tavi" 2>/dev/null || fail "the program ended at start-up: $(cat "$work/program.log")"
  sleep 0.1
done
[ "${shown:-0}" -ge 1 ] || fail "sway shows no window of the program"
sleep 1
in_sway grim "$work/window.png"
cp "$work/window.png" "$shots/sway-window.png" 2>/dev/null || true
# The window is mostly white: its share of white pixels tells it is drawn, not only mapped.
white=$(convert "$work/window.png" -fuzz 3% -fill black +opaque white -fill white -opaque white -format '%[fx:mean]' info:)
echo "the main window shows on sway; share of white on the screen $white"
awk -v s="$white" 'BEGIN { exit !(s >= 0.3) }' || fail "the window is not drawn (white share $white)"
kill "$tavi"; wait "$tavi" 2>/dev/null || true
stop_sway

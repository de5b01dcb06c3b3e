#!/usr/bin/env bash
# The Debian package as users meet it: built from the existing build, judged by lintian,
# appstreamcli and desktop-file-validate, unpacked into a scratch root and run from there
# by two ordinary users at once under Xvfb, each on a D-Bus session of their own. Each
# user's notes land in their own home, survive a restart and an unpacking of the package
# over the old one, and stay out of the other user's reach.
# Exit 77: a tool or the right to switch users is missing (the test is skipped).
set -euo pipefail
src=$1   # the source tree
build=$2 # the built tree
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "switching to ordinary users needs root (CI runs as root)"
for tool in useradd lintian dpkg-deb dpkg-shlibdeps appstreamcli desktop-file-validate Xvfb xdotool xclip xprop setpriv \
            dbus-run-session sqlite3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/packages.txt lists it)"
done

work=$(mktemp -d)
chmod 0755 "$work" # the users walk through it to the unpacked root
pids=() users=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for u in "${users[@]}"; do pkill -KILL -u "$u" 2>/dev/null || true; userdel "$u" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work"/*.log >&2 2>/dev/null || true; exit 1; }

# --- the package and its judges ---------------------------------------------------------
deb=$(TAVI_BUILD_DIR=$build TAVI_PACKAGE_DIR=$work "$src/scripts/package.sh" | tail -1)
[ -f "$deb" ] || fail "package.sh printed no package"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work" lintian --fail-on error,warning --display-info \
  "$deb" >"$work/lintian.log" 2>&1 || fail "lintian objects"
cat "$work/lintian.log"

root=$work/root
dpkg -x "$deb" "$root"
id=$(basename "$root"/usr/share/metainfo/*.metainfo.xml .metainfo.xml)
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
for f in usr/bin/tavi usr/bin/lunar-table usr/share/tavi/Data/UserData.mdb usr/share/tavi/Data/CnWorkdays.tsv \
         usr/share/tavi/source/DeskTopBG/A1.bmp usr/share/tavi/web/rs/Tavi4.htm usr/share/icons/hicolor/scalable/apps/tavi.svg \
         usr/share/icons/hicolor/48x48/apps/tavi.png usr/share/man/man1/tavi.1.gz usr/share/man/man1/lunar-table.1.gz \
         usr/share/doc/tavi/copyright; do
  [ -e "$root/$f" ] || fail "the package lacks /$f"
done
file "$root/usr/bin/tavi" | grep -q ', stripped' || fail "the program is not stripped"
"$root/usr/bin/lunar-table" 2026-10-01 | grep -q '国庆节' || fail "lunar-table does not run from the package"

# --- an X server for everyone, and two users -------------------------------------------
display=$((300 + RANDOM % 600))
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp -ac -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=:$display

# Two users made for the test (the D-Bus daemon wants a name for its user), gone at its end.
uids=()
for n in a b; do
  name=tavi-pkg-$n-$$
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin --user-group "$name" \
    || fail "useradd $name"
  users+=("$name")
  uid=$(id -u "$name")
  uids+=("$uid")
  mkdir -p "$work/home/$uid" "$work/run/$uid"
  chown "$uid:$uid" "$work/home/$uid" "$work/run/$uid"
  # Homes open to others, so that only the program's own folder keeps the notes private.
  chmod 0755 "$work/home/$uid"
  chmod 0700 "$work/run/$uid"
done
# Runs a command as user $1 with a home and a runtime folder of their own.
as() {
  local uid=$1; shift
  env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$work/home/$uid" XDG_RUNTIME_DIR="$work/run/$uid" \
      LANG=C.UTF-8 setpriv --reuid="$uid" --regid="$uid" --clear-groups "$@"
}
notes_of() { echo "$work/home/$1/.local/share/Tavi/Data/UserData.mdb"; }
windows() { xdotool search --onlyvisible --name 'Tavi桌面记事' 2>/dev/null | wc -l; }
error_boxes() { xdotool search --onlyvisible --name 'Tavi周记事本' 2>/dev/null | wc -l; }
# Starts the installed program (or $3) as user $1; waits for the count of windows to reach $2.
start() {
  local exe=${3:-$root/usr/bin/tavi}
  name=$(basename "$exe")
  as "$1" dbus-run-session -- "$exe" >>"$work/user$1.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 150); do
    [ "$(windows)" -ge "$2" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program of user $1 ended at start-up"
    sleep 0.1
  done
  [ "$(windows)" -ge "$2" ] || fail "no window for user $1"
  sleep 0.8
  [ "$(error_boxes)" = 0 ] || fail "a message box at user $1's start"
  window=$(xdotool search --all --onlyvisible --pid "$(pgrep -u "$1" -x "$name" | head -1)" --name 'Tavi桌面记事' | head -1)
}
type_note() {
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool mousemove --window "$window" 553 146 click 1; sleep 0.3
  xdotool type --delay 30 "$1"; sleep 1
}
# The lit close picture takes the click; it is anchored to the window's top-right corner.
close() {
  local w; w=$(xdotool getwindowgeometry --shell "$window" | sed -n 's/^WIDTH=//p')
  xdotool mousemove --window "$window" $((w - 26)) 10; sleep 0.3
  xdotool mousemove --window "$window" $((w - 21)) 11; sleep 0.3
  xdotool click 1
  for _ in $(seq 50); do pgrep -u "$1" -x "$name" >/dev/null || return 0; sleep 0.1; done
  fail "user $1's program did not end on its close button"
}
stored() { sqlite3 "$(notes_of "$1")" "select group_concat(ContentBak, '|') from tb_NewTavi where ContentBak <> ''"; }
fingerprint() { (cd "$work/home" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

a=${uids[0]} b=${uids[1]}
note_a="note of user a $RANDOM" note_b="note of user b $RANDOM"

start "$a" 1
win_a=$window
wm_class=$(xprop -id "$win_a" WM_CLASS | sed 's/.*= //')
launcher_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$id.desktop")
[[ "$wm_class" == *"\"$launcher_class\""* ]] || fail "WM_CLASS $wm_class does not match the launcher's $launcher_class"
type_note "$note_a"
[ "$(stored "$a")" = "$note_a" ] || fail "user a's notes hold '$(stored "$a")'"
own=$work/home/$a/.local/share/Tavi
[ "$(stat -c %a "$own")" = 700 ] || fail "user a's folder is $(stat -c %a "$own")"
[ "$(stat -c %a "$own/Data/UserData.mdb")" = 600 ] || fail "user a's notes file is $(stat -c %a "$own/Data/UserData.mdb")"

# A second user at the same time: a window and notes of their own, out of each other's reach.
start "$b" 2
win_b=$window
type_note "$note_b"
[ "$(stored "$b")" = "$note_b" ] || fail "user b's notes hold '$(stored "$b")'"
[ "$(stored "$a")" = "$note_a" ] || fail "user b's start changed user a's notes: '$(stored "$a")'"
as "$b" cat "$(notes_of "$a")" >/dev/null 2>&1 && fail "user b can read user a's notes"

# The same user again: no second program, the running window comes forward.
before=$(fingerprint)
rc=0
as "$a" timeout 10 "$root/usr/bin/tavi" >>"$work/second.log" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "user a's second start ended with $rc"
[ "$(windows)" = 2 ] || fail "$(windows) windows after user a's second start"
[ "$(pgrep -u "$a" -x tavi | wc -l)" = 1 ] || fail "user a runs two programs"
sleep 0.5
[ "$(xdotool getwindowfocus)" = "$win_a" ] || fail "user a's second start did not bring their window forward"

# The windows lie one over the other, user a's in front: it goes first.
window=$win_a; close "$a"
window=$win_b; xdotool windowraise "$window"; close "$b"
before=$(fingerprint) # the closes wrote the window sizes

# Unpacking the package again over the old one (as an upgrade does) changes no user's file.
dpkg -x "$deb" "$root"
[ "$(fingerprint)" = "$before" ] || fail "unpacking the package again changed a user's files"

# After a restart the note is still there, in the box.
start "$a" 1
xdotool mousemove --window "$window" 553 146 click 1; sleep 0.3
xdotool key ctrl+a ctrl+c; sleep 0.4
shown=$(as "$a" xclip -o -selection clipboard 2>/dev/null || true)
close "$a"
[ "$shown" = "$note_a" ] || fail "after the restart user a's box shows '$shown'"
echo "two users, each with their own notes; kept across a restart and a new unpacking"

# A program folder the user cannot write (one root installed into /opt, say) sends them to
# their own folder as well, and nothing is written into it.
cp -a "$build/Tavi" "$work/opt"
ro() { (cd "$work/opt" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
ro_before=$(ro)
start "$b" 1 "$work/opt/Tavi"
xdotool mousemove --window "$window" 553 146 click 1; sleep 0.3
xdotool key ctrl+a ctrl+c; sleep 0.4
shown=$(as "$b" xclip -o -selection clipboard 2>/dev/null || true)
close "$b"
[ "$shown" = "$note_b" ] || fail "from a read-only program folder user b's box shows '$shown'"
[ "$(ro)" = "$ro_before" ] || fail "the program wrote into a program folder its user cannot write"
echo "a read-only program folder keeps the user's notes in their own folder"

# A user whose home cannot be written is told so, and the program ends without a window.
env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME=/nonexistent XDG_RUNTIME_DIR="$work/run/$b" LANG=C.UTF-8 \
  setpriv --reuid="$b" --regid="$b" --clear-groups "$root/usr/bin/tavi" >>"$work/nohome.log" 2>&1 &
nohome=$!
pids+=("$nohome")
for _ in $(seq 100); do [ "$(error_boxes)" -ge 1 ] && break; sleep 0.1; done
[ "$(error_boxes)" = 1 ] && [ "$(windows)" = 0 ] || fail "without a writable home: $(error_boxes) message boxes, $(windows) windows"
# The box may still be settling on its window: press until the program is gone.
for _ in $(seq 30); do
  kill -0 "$nohome" 2>/dev/null || break
  for w in $(xdotool search --onlyvisible --name 'Tavi周记事本' 2>/dev/null); do
    xdotool key --window "$w" Return 2>/dev/null || true
  done
  sleep 0.3
done
rc=0
wait "$nohome" || rc=$?
[ "$rc" = 1 ] || fail "without a writable home the program ended with $rc"
echo "a home that cannot be written is told, and the program ends"

# Wayland: the window's app id is the launcher's name (on a headless sway of user a's own).
if ! command -v sway >/dev/null || ! command -v swaymsg >/dev/null; then
  echo "Wayland part skipped: sway is not installed"
  exit 0
fi
run_a=$work/run/$a
printf 'xwayland disable\n' >"$work/sway.conf"
chmod 0644 "$work/sway.conf"
as "$a" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" \
  >"$work/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do ls "$run_a"/sway-ipc.*.sock >/dev/null 2>&1 && [ -e "$run_a/wayland-1" ] && break; sleep 0.1; done
sock=$(ls "$run_a"/sway-ipc.*.sock 2>/dev/null | head -1)
[ -n "$sock" ] || fail "sway did not start"
as "$a" env QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-1 dbus-run-session -- "$root/usr/bin/tavi" \
  >>"$work/wayland.log" 2>&1 &
pids+=($!)
app_ids=
for _ in $(seq 150); do
  app_ids=$(as "$a" swaymsg -s "$sock" -t get_tree 2>/dev/null | grep -o '"app_id": "[^"]*"' || true)
  [ -n "$app_ids" ] && break
  sleep 0.1
done
[ "$app_ids" = "\"app_id\": \"$id\"" ] || fail "on Wayland the window's app id is '$app_ids', the launcher is $id"
echo "on Wayland the window's app id is the launcher's: $id"

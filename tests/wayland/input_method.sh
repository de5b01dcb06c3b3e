#!/usr/bin/env bash
# Chinese typed through a real input method under Xvfb reaches the note box and is saved:
# "nihao shijie" as pinyin, each word committed with the space bar, is stored as 你好世界.
# $2 names the input method: fcitx5 (its pinyin, through fcitx5-frontend-qt6) or ibus
# (ibus-libpinyin, through Qt's own ibus plugin). Each runs on a D-Bus session of its own.
set -euo pipefail
app_dir=$1
im=$2
source "$(dirname "$0")/../e2e/common.sh"
skip() { echo "SKIP: $*"; exit 77; }
work=$(mktemp -d)
pids=()
cleanup() {
  local i
  # ibus ends the components it started only when told to.
  if [ -n "${IBUS_ADDRESS:-}" ]; then timeout 5 ibus exit >/dev/null 2>&1 || true; fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  # An input method writes its configuration as it ends: let it finish before the folder goes.
  for ((i = 0; i < 50; i++)); do
    local alive=0 p
    for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && alive=1; done
    ((alive)) || break
    sleep 0.1
  done
  rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; tail -n 20 "$work"/*.log >&2 2>/dev/null || true; exit 1; }
plugins=$(ls -d /usr/lib/*/qt6/plugins/platforminputcontexts 2>/dev/null | head -1)
case $im in
  fcitx5)
    command -v fcitx5 >/dev/null || skip "fcitx5 is not installed"
    [ -e /usr/lib/x86_64-linux-gnu/fcitx5/libpinyin.so ] || skip "fcitx5's pinyin (fcitx5-chinese-addons) is not installed"
    ls "$plugins"/libfcitx5platforminputcontextplugin.so >/dev/null 2>&1 || skip "fcitx5-frontend-qt6 is not installed"
    module=fcitx ;;
  ibus)
    command -v ibus-daemon >/dev/null || skip "ibus is not installed"
    [ -e /usr/share/ibus/component/libpinyin.xml ] || skip "ibus-libpinyin is not installed"
    module=ibus ;;
  *) fail "unknown input method $im" ;;
esac
command -v dbus-launch >/dev/null || skip "dbus-launch is not installed"

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run TMPDIR=$work/tmp
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
mkdir -m 700 "$XDG_RUNTIME_DIR"
layout_program_folder "$work/p"
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")

if [ "$im" = fcitx5 ]; then
  mkdir -p "$XDG_CONFIG_HOME/fcitx5"
  cat > "$XDG_CONFIG_HOME/fcitx5/profile" <<'CONF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
CONF
  fcitx5 --disable=kimpanel,notificationitem,classicui >"$work/fcitx5.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do fcitx5-remote >/dev/null 2>&1 && break; sleep 0.1; done
  fcitx5-remote >/dev/null 2>&1 || fail "fcitx5 did not come up"
  activate() { fcitx5-remote -o; }
else
  # No panel; the engine needs a config component, here the one kept in memory.
  ibus-daemon --replace --panel=disable --config=/usr/libexec/ibus-memconf --xim=false >"$work/ibus.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ "$(ibus address 2>/dev/null)" != "(null)" ] && [ -n "$(ibus address 2>/dev/null)" ] && break; sleep 0.1; done
  export IBUS_ADDRESS=$(ibus address)
  timeout 30 ibus engine libpinyin >/dev/null 2>&1 || true
  for _ in $(seq 100); do [ "$(ibus engine 2>/dev/null)" = libpinyin ] && break; sleep 0.2; done
  [ "$(ibus engine 2>/dev/null)" = libpinyin ] || fail "ibus did not take the libpinyin engine"
  activate() { timeout 10 ibus engine libpinyin >/dev/null 2>&1 || true; }
fi

QT_IM_MODULE=$module TAVI_HOME=$work/p "$app_dir/Tavi" >"$work/program.log" 2>&1 &
tavi=$!
pids+=("$tavi")
for _ in $(seq 100); do
  xdotool search --onlyvisible --pid "$tavi" --name Tavi >/dev/null 2>&1 && break
  kill -0 "$tavi" 2>/dev/null || fail "the program ended at start-up"
  sleep 0.1
done
sleep 1
# Monday's box, then the input method on for it.
xdotool mousemove 553 146 click 1
sleep 0.5
activate
sleep 0.5
# The first key after the input context appears may be lost while the method attaches.
for word in nihao shijie; do
  xdotool type --delay 150 "$word"
  sleep 0.6
  xdotool key space
  sleep 0.6
done
sleep 0.5
# Leaving the box saves once more; then the program ends normally.
xdotool mousemove 417 380 click 1
sleep 1
kill "$tavi"
wait "$tavi" 2>/dev/null || true
saved=$(sqlite3 "$work/p/Data/UserData.mdb" "SELECT ContentBak FROM tb_NewTavi WHERE ContentBak <> ''")
echo "$im: typed 'nihao shijie' as pinyin, saved: $saved"
case $saved in
  *你好世界*) ;;
  *) fail "$im: the note holds '$saved', not 你好世界" ;;
esac

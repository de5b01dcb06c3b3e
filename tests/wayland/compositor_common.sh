# Sourced by the Wayland tests. Compositors run as an ordinary user: sway refuses root, and
# root hides what users meet. As root (CI), the tests take the user "tavitest", made here
# when missing; otherwise they run as whoever runs them.
set -euo pipefail
app_dir=$1 # the built program folder

skip() { echo "SKIP: $*"; exit 77; }
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  # Everything started here ends by its own id, newest first.
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  sleep 0.3
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -KILL "${pids[i]}" 2>/dev/null || true; done
  [ -n "${extra_cleanup:-}" ] && $extra_cleanup
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; tail -n 30 "$work"/*.log >&2 2>/dev/null || true; exit 1; }

[ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqwayland-generic.so ] \
  || ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 \
  || skip "Qt's Wayland platform (qt6-wayland) is not installed"

if [ "$(id -u)" = 0 ]; then
  id tavitest >/dev/null 2>&1 || useradd -M -d /nonexistent -s /usr/sbin/nologin tavitest
  uid=$(id -u tavitest)
else
  uid=$(id -u)
fi
home=$work/home
run=$work/run
mkdir -p "$home" "$run"
chmod 700 "$run"
chown -R "$uid:$(id -g "$uid" 2>/dev/null || id -g)" "$work"

# The command line that runs a command as the user with a clean environment of the
# session's own, in the array ucmd; extra variables come first as NAME=VALUE. Started in the
# background as "${ucmd[@]}" &, $! is the command's own process (setpriv and env exec it).
user_cmd() {
  ucmd=(env -i HOME="$home" XDG_RUNTIME_DIR="$run" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8
        XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" "$@")
  if [ "$(id -u)" = 0 ]; then
    ucmd=(setpriv --reuid="$uid" --regid="$(id -g "$uid")" --clear-groups "${ucmd[@]}")
  fi
}
as_user() { user_cmd "$@"; "${ucmd[@]}"; }

# A program folder of the user's own, with two backgrounds of different colours.
layout_user_program() {
  local p=$work/prog
  cp -r "$app_dir" "$p"
  rm -f "$p"/Data/*.ini
  printf '0\r\n' > "$p/Data/configSetBg.ini"
  convert -size 1280x720 gradient:'#c04020-#f0c060' BMP3:"$p/source/DeskTopBG/Warm.bmp"
  convert -size 1280x720 gradient:'#103070-#40a0c0' BMP3:"$p/source/DeskTopBG/Cool.bmp"
  chown -R "$uid" "$p"
  echo "$p"
}

# Makes the named background the one the next apply uses.
use_background() { printf '%s\r\n%s\r\n' "$2" "$2" > "$1/Data/BGPicList.ini"; chown "$uid" "$1/Data/BGPicList.ini"; }

# The share of the screen shot's pixels within 8 % of the composed picture's.
share_like() {
  local total diff
  total=$(identify -format '%[fx:w*h]' "$1")
  diff=$(compare -metric AE -fuzz 8% "$1" "$2" null: 2>&1 || true)
  diff=${diff%% *}
  awk -v d="$diff" -v t="$total" 'BEGIN { printf "%.3f", 1 - d / t }'
}

# The user's running processes of a name; zombies (where nobody reaps orphans) do not count.
running() { ps -u "$uid" -o pid=,stat=,comm= | awk -v n="$1" '$2 !~ /Z/ && $3 == n { print $1 }'; }

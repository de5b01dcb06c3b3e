#!/usr/bin/env bash
# Sets up, builds and starts the program from its folder build/Tavi.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "没有图形显示 (DISPLAY / WAYLAND_DISPLAY 未设置)：程序已构建在 $build/Tavi，请在桌面会话中运行。" >&2
  echo "No graphical display (DISPLAY / WAYLAND_DISPLAY unset): the program is built in $build/Tavi; run it from a desktop session." >&2
  exit 1
fi
exec "$build/Tavi/Tavi" "$@"

#!/usr/bin/env bash
# Installs the Debian packages the project needs (listed in scripts/packages.txt)
# when any is missing, then configures and builds. Works as root or through sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_BUILD_DIR:-$here/build}

mapfile -t pkgs < <(grep -v -E '^\s*(#|$)' "$here/scripts/packages.txt")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "${missing[@]}" </dev/null
fi

# Ninja, as the presets use; a build folder made earlier keeps its own generator.
gen=()
[ -f "$build/CMakeCache.txt" ] || gen=(-G Ninja)
# TAVI_WERROR=ON: warnings stop the build (CI sets it).
werror=()
[ -z "${TAVI_WERROR:-}" ] || werror=(-DTAVI_WERROR="$TAVI_WERROR")
cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=${TAVI_BUILD_TYPE:-RelWithDebInfo} "${werror[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

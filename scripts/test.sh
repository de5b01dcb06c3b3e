#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; exits non-zero on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600

#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; exits non-zero on any failure.
#   TAVI_FORMAT_BASE=<commit>  clang-format is checked on the lines changed since then (by
#                              default since the merge base with origin/main, when there is one)
#   TAVI_SANITIZERS=1          also runs the unit tests under ASan and UBSan (the asan preset's tree)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_BUILD_DIR:-$here/build}
started=$SECONDS

# The format of the lines this change touches; the rest of the tree is left as it is.
base=${TAVI_FORMAT_BASE:-}
if [ -z "$base" ] && git -C "$here" rev-parse -q --verify origin/main >/dev/null 2>&1; then
  base=$(git -C "$here" merge-base HEAD origin/main)
  [ "$base" != "$(git -C "$here" rev-parse HEAD)" ] || base=""
fi
if [ -n "$base" ] && command -v git-clang-format >/dev/null; then
  out=$(cd "$here" && git clang-format --diff --extensions cpp,h "$base" -- || true)
  if [ -n "$out" ] && [ "$out" != "no modified files to format" ] \
     && [ "$out" != "clang-format did not modify any files" ]; then
    echo "$out"
    echo "clang-format: the lines above, changed since $base, are not formatted (git clang-format $base)" >&2
    exit 1
  fi
else
  echo "clang-format check skipped: no base to compare with (set TAVI_FORMAT_BASE)"
fi

# Warnings stop the build in every tree made here.
TAVI_WERROR=ON "$here/scripts/setup.sh"
echo "build: $((SECONDS - started)) s"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
echo "build and tests: $((SECONDS - started)) s"

# The unit tests once more under the address and undefined-behaviour sanitizers.
if [ "${TAVI_SANITIZERS:-0}" != 0 ]; then
  asan_started=$SECONDS
  cd "$here"
  cmake --preset asan -DTAVI_WERROR=ON >/dev/null
  cmake --build --preset asan --target unit_tests -j"$(nproc)"
  ctest --preset asan -L unit -j"$(nproc)"
  echo "sanitizers: $((SECONDS - asan_started)) s"
fi
echo "total: $((SECONDS - started)) s"

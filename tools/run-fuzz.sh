#!/bin/sh
# Builds the RTF reader's fuzz target with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it.
#   tools/run-fuzz.sh [seconds] [more libFuzzer options]
# New inputs collect in build-fuzz/corpus-rtf; the seeds in tests/fuzz/corpus/rtf stay as they are.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift
CXX=${CXX:-clang++} cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_rtf -j2
mkdir -p "$build/corpus-rtf"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/fuzz_rtf" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=512 \
  -dict="$root/tests/fuzz/rtf.dict" -print_final_stats=1 -artifact_prefix="$build/" "$@" "$build/corpus-rtf" "$root/tests/fuzz/corpus/rtf"

#!/bin/sh
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each in turn for the given seconds; stops at the first finding, whose input is
# left in the build folder.
#   tools/fuzz-all.sh [seconds] [target...]      targets: rtf journal bmp gif jpeg (default: all)
# New inputs collect in <build>/corpus-<target>; the seeds in tests/fuzz/corpus stay as they are.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVI_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-rtf journal bmp gif jpeg}
CXX=${CXX:-clang++} cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for t in $targets; do
  cmake --build "$build" --target "fuzz_$t" -j2
done
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for t in $targets; do
  mkdir -p "$build/corpus-$t"
  extra="-max_len=4096"
  [ "$t" = rtf ] && extra="-max_len=16384 -dict=$root/tests/fuzz/rtf.dict"
  [ "$t" = journal ] && extra="-max_len=16384"
  echo "== fuzz_$t, $seconds s"
  log="$build/log-$t.txt"
  touch "$build/.started-$t"
  # shellcheck disable=SC2086
  status=0
  "$build/fuzz_$t" -max_total_time="$seconds" $extra -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/$t-" "$build/corpus-$t" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  grep -E '^#[0-9]+ +DONE|^stat::number_of_executed_units' "$log" || true
  found=$(find "$build" -maxdepth 1 -name "$t-*" -newer "$build/.started-$t")
  if [ "$status" -ne 0 ] || [ -n "$found" ]; then
    tail -n 60 "$log"
    echo "fuzz_$t found a fault (status $status): $found" >&2
    exit 1
  fi
done

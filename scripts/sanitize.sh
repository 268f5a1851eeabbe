#!/usr/bin/env bash
# Builds everything with AddressSanitizer (LeakSanitizer included) and UndefinedBehaviorSanitizer
# in a build directory of its own, then runs the tests there. The fuzzers carry their own
# sanitizers and time budget, so they are left out.
#
#   scripts/sanitize.sh [build-dir] [more ctest arguments]    (build-dir defaults to build-asan)
#
# Every report goes to <build-dir>/sanitizer-logs as well: the programs under test send their
# standard error to files in temporary folders that the tests remove.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-asan}
shift || true
dir=$(mkdir -p "$dir" && cd "$dir" && pwd)
logs=$dir/sanitizer-logs

cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVIK_SANITIZE=ON \
  -DZARVIK_BENCH=OFF
cmake --build "$dir" -j"$(nproc)"

rm -rf "$logs"
mkdir -p "$logs"
# Leaks inside third-party libraries (X, GTK, Mesa, fonts) are theirs; ours are never suppressed.
# ZARVIK_ASAN_EXTRA adds options: fast_unwind_on_malloc=0 gives whole stacks through the system
# libraries (they have no frame pointers), too slow for the OpenGL tests but right for one case.
export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:strict_init_order=1:log_path=$logs/asan${ZARVIK_ASAN_EXTRA:+:$ZARVIK_ASAN_EXTRA}"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"

status=0
(cd "$dir" && ctest --output-on-failure -LE fuzz -j"$(nproc)" "$@") || status=$?

reports=$(find "$logs" -type f | sort)
if [ -n "$reports" ]; then
  echo "Sanitizer reports:"
  for report in $reports; do
    echo "== $report"
    cat "$report"
  done
  status=1
else
  echo "No sanitizer reports."
fi
exit $status

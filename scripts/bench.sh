#!/usr/bin/env bash
# Builds the game and the benchmarks in release mode, runs them, prints the table and writes it
# to docs/benchmarks.md. Needs the test tools (Xvfb, openbox, xdotool): scripts/install-deps.sh --tests.
#
#   scripts/bench.sh [build-dir]    (build-dir defaults to build-bench)
#
# Takes a few minutes: the game runs 30 s in each of four configurations. Figures depend on the
# machine and on what else it is doing; the page notes the load next to them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-bench}

cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DZARVIK_BENCH=ON
cmake --build "$dir" -j"$(nproc)" --target zarvik step_bench mediagen media soak_tests
python3 "$root/bench/bench.py" --build "$dir" --out "$root/docs/benchmarks.md"

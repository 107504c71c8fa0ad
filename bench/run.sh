#!/usr/bin/env bash
# Builds the relay benchmark (Release) and runs it; the table at the end
# gives milliseconds per cycle and the ratio of the idle cycle to the floor.
# Then the expert's: milliseconds to build and write the log of 500 orders.
# Usage: bench/run.sh [build-dir] [benchmark options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kvbench_relay kvbench_expert >/dev/null
"$build/bench/kvbench_relay" --benchmark_color=false "${@:2}"
"$build/bench/kvbench_expert" --benchmark_color=false

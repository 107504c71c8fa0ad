#!/usr/bin/env bash
# Builds every libFuzzer target with clang (ASan + UBSan), replays the kept
# regression inputs, then fuzzes each target for a bounded time from its seed
# corpus. FUZZ_SECONDS sets the total budget (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# The targets' machines live on a memory disk when there is one, in a folder
# of this run, so that inputs that abort leave nothing behind.
scratch_root=/dev/shm; [ -d "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
export TMPDIR=$(mktemp -d -p "$scratch_root" kvfuzz-XXXXXX)
trap 'rm -rf "$TMPDIR"' EXIT

targets=()
for source in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
budget=${FUZZ_SECONDS:-60}
per_target=$(( budget / ${#targets[@]} )); [ "$per_target" -ge 2 ] || per_target=2
report="$build/summary.txt"; : > "$report"
failed=0
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  seeds="$root/fuzz/corpus/$name"; mkdir -p "$seeds"
  regressions="$root/fuzz/regressions/$name"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    "$build/$target" "$regressions"/* >/dev/null 2>&1 || { echo "fuzz: $target fails a kept regression input"; failed=1; }
  fi
  work=$(mktemp -d); log="$build/$target.log"
  if "$build/$target" -max_total_time="$per_target" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/$target-" "$work" "$seeds" >"$log" 2>&1; then
    crashes=0
  else
    crashes=1; failed=1
    echo "fuzz: $target found a crash; its input is in $build (keep it under fuzz/regressions/$name)"
    tail -30 "$log"
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo 0)
  rm -rf "$work"
  printf '%s %s %s\n' "$name" "${runs:-0}" "$crashes" | tee -a "$report" | awk '{printf "fuzz: %-16s %10d executions, %d crashes\n", $1, $2, $3}'
done
total_runs=$(awk '{s+=$2} END {print s+0}' "$report")
echo "fuzz: ${#targets[@]} targets, $total_runs executions in about ${budget} s"
exit $failed

#!/usr/bin/env bash
# The randomized soak, bounded to about two minutes, and the reliability report
# made from it and the last fuzz run:
#   tests/soak/run.sh [mingw-build-dir] [native-build-dir] [--long] [--update-docs]
# --long runs ten times as many cycles, for up to twenty minutes; --update-docs
# copies the report to docs/reliability.md. KV_SOAK_CYCLES, KV_SOAK_SECONDS and
# KV_SOAK_SEED override the length, time limit and seed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

native="$root/build/native"; long=0; update_docs=0; dirs=()
for arg in "$@"; do
  case "$arg" in
    --long) long=1 ;;
    --update-docs) update_docs=1 ;;
    *) dirs+=("$arg") ;;
  esac
done
[ ${#dirs[@]} -ge 2 ] && native=${dirs[1]}
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" --target kvtests_soak -j"$(nproc)" >/dev/null

cycles=${KV_SOAK_CYCLES:-400000}; seconds=${KV_SOAK_SECONDS:-100}
if [ "$long" -eq 1 ]; then cycles=$((cycles * 10)); seconds=1200; fi

# The soak's machines live on a memory disk when there is one.
scratch_root=/dev/shm; [ -d "$scratch_root" ] || scratch_root=${TMPDIR:-/tmp}
export TMPDIR=$(mktemp -d -p "$scratch_root" kvsoak-XXXXXX)
trap 'rm -rf "$TMPDIR"' EXIT

out="$root/build/soak"; mkdir -p "$out"
soak_report="$out/report.md"; rm -f "$soak_report"
echo "soak: up to $cycles cycles or $seconds s"
status=0
KV_SOAK_CYCLES=$cycles KV_SOAK_SECONDS=$seconds KV_SOAK_REPORT="$soak_report" \
  "$native/kvtests_soak" --gtest_filter='Soak.EveryEvent*' >"$out/soak.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || { echo "soak: FAILED"; tail -40 "$out/soak.log"; }
[ -f "$soak_report" ] || { echo "soak: no report was written"; exit 1; }
grep -E '^Seed|^\| (program deaths|faults injected|events lost|events sent again|Active.log is)' "$soak_report" |
  sed 's/^/soak: /'

# The reliability report: the fuzz summary, the soak's, then what both check.
report="$root/build/reliability.md"
summary="$root/build/fuzz/summary.txt"
{
  printf '# Reliability\n\nMade by `tests/soak/run.sh` from its soak run and the last `fuzz/run.sh` run.\n\n'
  printf '## Fuzzing\n\n| Target | Executions | Crashes |\n|---|---:|---:|\n'
  if [ -f "$summary" ]; then
    awk '{print "| " $1 " | " $2 " | " $3 " |"; r += $2; c += $3}
      END {printf "| **all** | **%d** | **%d** |\n", r, c}' "$summary"
  else
    echo "| no fuzz summary: run \`fuzz/run.sh\` first | | |"
  fi
  echo
  echo "Regression inputs kept: $( (find "$root/fuzz/regressions" -type f 2>/dev/null || true) | wc -l)."
  echo
  cat "$soak_report"
  echo
  cat "$root/tests/soak/report_notes.md"
} >"$report"
echo "soak: report in $report"

if [ "$update_docs" -eq 1 ]; then
  cp "$root/build/reliability.md" "$root/docs/reliability.md"
  echo "soak: copied to docs/reliability.md"
fi
exit "$status"

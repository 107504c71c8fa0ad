#!/usr/bin/env bash
# Ten terminals relayed at once, each expert rewriting 100 open orders every
# 50 ms: the relay's CPU, write-to-request latency in every terminal and its
# memory over five minutes; then one terminal alone. The real program under
# Wine and Xvfb against the reference service. Not part of the test command's verdict.
#   bench/terminals.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]] [--terminals N] [--seconds S] [--alone-seconds S]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mingw=${KV_BUILD_MINGW:-$root/build/mingw}
native=${KV_BUILD_NATIVE:-$root/build/native}
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then mingw=$1; shift; fi
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then native=$1; shift; fi
cmake --build "$mingw" -j2 --target KorvaneVantor kvdriver >/dev/null
cmake --build "$native" -j2 --target reference_service >/dev/null
exec flock /tmp/kv-wine.lock xvfb-run -a python3 -B "$root/bench/terminals.py" "$mingw" "$native" "$@"

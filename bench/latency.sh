#!/usr/bin/env bash
# Event-to-request latency, a burst of 200 against a bare WinHTTP loop, and
# the relay's CPU under a busy expert, and our MT4 and MT5 experts in the simulated
# terminal trading at random: the real program under Wine and Xvfb against
# the reference service. Not part of the test command's verdict.
#   bench/latency.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]] [--program OTHER.exe] [--events N] [--cpu-seconds S]
#                    [--session-seconds S]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mingw=${KV_BUILD_MINGW:-$root/build/mingw}
native=${KV_BUILD_NATIVE:-$root/build/native}
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then mingw=$1; shift; fi
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then native=$1; shift; fi
cmake --build "$mingw" -j2 --target KorvaneVantor kvdriver kvhttploop kvterminal >/dev/null
cmake --build "$native" -j2 --target reference_service >/dev/null
exec flock /tmp/kv-wine.lock xvfb-run -a python3 -B "$root/bench/latency.py" "$mingw" "$native" "$@"

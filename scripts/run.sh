#!/usr/bin/env bash
# Builds the Windows program and the reference service, then runs the demo:
# KorvaneVantor.exe under Wine relaying a changing demo MT4 order log to the
# reference service on 127.0.0.1. Arguments go on to scripts/demo/run_demo.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/ensure-packages.sh" cmake make g++ libcpp-httplib-dev libssl-dev g++-mingw-w64-x86-64 wine64 xvfb xauth python3
jobs=$(nproc)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCH=OFF >/dev/null
cmake --build build/native -j"$jobs" --target reference_service
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/mingw -j"$jobs"
exec "$root/scripts/demo/run_demo.sh" "$root/build/mingw" "$root/build/native" "$@"

#!/usr/bin/env bash
# Runs every test stage: native unit and scenario tests, the MinGW-w64 cross
# build and its installer, the Windows program and the installer under Wine,
# and the bounded fuzz and soak runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/ensure-packages.sh" cmake make g++ libgtest-dev libbenchmark-dev libcpp-httplib-dev libssl-dev \
  g++-mingw-w64-x86-64 nsis wine64 xvfb xauth python3 clang libclang-rt-14-dev

jobs=$(nproc)
stage() { echo; echo "=== $* ==="; }

stage "Native build"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j"$jobs"

stage "MinGW-w64 cross build"
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/mingw -j"$jobs"
cmake --build build/mingw -j"$jobs" --target installer

stage "Native tests"
ctest --test-dir build/native --output-on-failure -j"$jobs"

stage "Windows layer checks under Wine"
tests/win32/run_checks.sh build/mingw build/native

for extra in tests/e2e/run.sh fuzz/run.sh tests/soak/run.sh; do
  if [ -x "$extra" ]; then
    stage "$extra"
    "$extra" "$root/build/mingw" "$root/build/native"
  fi
done

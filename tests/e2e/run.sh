#!/usr/bin/env bash
# End-to-end tests: the real KorvaneVantor.exe under Wine and Xvfb, driven by
# kvdriver.exe, against the reference service.
#   tests/e2e/run.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]] [--only WORD] [--keep]
# The build folders may also come from KV_BUILD_MINGW and KV_BUILD_NATIVE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mingw=${KV_BUILD_MINGW:-$root/build/mingw}
native=${KV_BUILD_NATIVE:-$root/build/native}
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then mingw=$1; shift; fi
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then native=$1; shift; fi
for tool in Xvfb /usr/lib/wine/wine64 python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (packages: wine64 xvfb python3)"; echo "0 passed, 1 failed"; exit 1; }
done
absolute() { case "$1" in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$PWD" "$1" ;; esac; }
mingw=$(absolute "$mingw")
native=$(absolute "$native")
cd "$here"
exec python3 -B e2e.py "$mingw" "$native" "$@"

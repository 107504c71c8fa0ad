#!/usr/bin/env bash
# End-to-end tests: the real KorvaneVantor.exe under Wine and Xvfb, driven by
# kvdriver.exe, against the reference service.
#   tests/e2e/run.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]] [--only WORD]
set -euo pipefail
for tool in xvfb-run xauth /usr/lib/wine/wine64 python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool (packages: wine64 xvfb xauth python3)"; echo "0 passed, 1 failed"; exit 1; }
done
# One Wine run at a time on this machine: two at once interfere.
exec flock /tmp/kv-wine.lock xvfb-run -a python3 -B "$(dirname "$0")/e2e.py" "$@"

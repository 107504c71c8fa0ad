#!/usr/bin/env bash
# Pictures of the login, trade system and settings dialogs, taken under Xvfb
# in a Wine desktop and cropped to each dialog.
#   tests/e2e/screenshots.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR [OUT_DIR]]]   (OUT_DIR defaults to docs/)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
mingw=${1:-${KV_BUILD_MINGW:-$root/build/mingw}}
native=${2:-${KV_BUILD_NATIVE:-$root/build/native}}
out=${3:-$root/docs}
absolute() { case "$1" in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$PWD" "$1" ;; esac; }
mingw=$(absolute "$mingw")
native=$(absolute "$native")
out=$(absolute "$out")
command -v import >/dev/null || { echo "missing import (package: imagemagick)"; exit 1; }
cd "$here"
exec python3 -B screenshots.py "$mingw" "$native" "$out"

#!/usr/bin/env bash
# The README's pictures of the dialogs and the tray icon, taken under Xvfb.
#   tools/screenshots/run.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR [OUT_DIR]]]   (OUT_DIR defaults to docs/)
# Hold /tmp/kv-wine.lock around it, as around every Wine run.
set -euo pipefail
"$(dirname "$0")/../../scripts/ensure-packages.sh" imagemagick wine64 xvfb xauth python3
exec xvfb-run -a -s "-screen 0 800x600x24" python3 -B "$(dirname "$0")/screenshots.py" "$@"

#!/usr/bin/env bash
# Runs the Windows layer's own checks (KorvaneVantorChecks.exe) under Wine,
# in a fresh Wine prefix and inside Wine's own desktop window, on Xvfb when
# there is no display, with the native build's reference service to talk to.
# Usage: run_checks.sh MINGW_BUILD_DIR NATIVE_BUILD_DIR [NAME_PART]
set -euo pipefail
# One Wine run at a time on this machine: two at once interfere.
[ -n "${KV_WINE_LOCKED:-}" ] || KV_WINE_LOCKED=1 exec flock /tmp/kv-wine.lock "$0" "$@"
usage="usage: run_checks.sh MINGW_BUILD_DIR NATIVE_BUILD_DIR [NAME_PART]"
exe="$(cd "${1:?$usage}" && pwd)/tests/win32/KorvaneVantorChecks.exe"
service="$(cd "${2:?$usage}" && pwd)/tools/reference_service/reference_service"
[ -f "$exe" ] || { echo "no $exe: build the MinGW tree first" >&2; exit 1; }
[ -x "$service" ] || { echo "no $service: build the native tree first" >&2; exit 1; }

work=$(mktemp -d /tmp/kvchecks.XXXXXX)
service_pids=()
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "${service_pids[@]}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# One account whose login reply is longer than one read of WinHTTP's buffer;
# the same service over https, with a certificate nobody trusts.
printf 'a b@c.d;p;7;12;%s\n' "$(head -c 20000 /dev/zero | tr '\0' A)" >"$work/accounts"
start_service() {  # LOG SCHEME: the service's base URL is in LOG once it listens
  "$service" --accounts "$work/accounts" --files-folder "$work" --lifetime 600 --scheme "$2" >"$work/$1" &
  service_pids+=($!)
  for _ in $(seq 50); do
    grep -qs '^listening on' "$work/$1" && break
    sleep 0.1
  done
}
base_url() { sed -n 's/^listening on //p' "$work/$1"; }
start_service service.log http
start_service untrusted.log https
KV_SERVICE_URL=$(base_url service.log)
KV_UNTRUSTED_SERVICE_URL=$(base_url untrusted.log)
export KV_SERVICE_URL KV_UNTRUSTED_SERVICE_URL

display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
wine=/usr/lib/wine/wine64
# A crashing check must fail the run, not wait on Wine's crash dialog.
"${display[@]}" "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Wine's desktop window spares every dialog close the wait for a window manager.
output=$(timeout 300 "${display[@]}" "$wine" explorer /desktop=kvchecks,1024x768 "$exe" \
  ${3:+"--gtest_filter=*$3*"} 2>&1) || true
printf '%s\n' "$output"
# Nothing is sent over a refused certificate: the https service answered nothing.
if grep -q '=>' "$work/untrusted.log"; then
  echo "the https service with the untrusted certificate answered requests:" >&2
  cat "$work/untrusted.log" >&2
  exit 1
fi
# Wine's desktop does not pass the exit code on: GoogleTest's summary decides.
grep -Eq '^\[  PASSED  \] [1-9]' <<<"$output" && ! grep -q '^\[  FAILED  \]' <<<"$output"

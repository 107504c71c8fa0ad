#!/usr/bin/env bash
# The demo: KorvaneVantor.exe under Wine, relaying to the reference service on
# 127.0.0.1 (which prints each request it acknowledges) what our experts write
# in two simulated terminals (kvterminal.exe), an MT4 to trade system 12 Alpha
# and an MT5 to 13 Beta, where a trader trades at random in each.
#   scripts/demo/run_demo.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]] [--auto-login]
# Log in from the tray icon (right-click, Login) as demo@korvane.test, password
# demo, then Proceed with 12 Alpha for the MT4 (the MT5 goes to 13 Beta, as
# Data\Terminals.dat says; the tray's Terminals... shows both). With no DISPLAY
# the program runs under Xvfb and the demo logs in by itself. Ctrl-C ends everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
mingw=${KV_BUILD_MINGW:-$root/build/mingw}
native=${KV_BUILD_NATIVE:-$root/build/native}
auto_login=no
positional=0
for arg in "$@"; do
  case "$arg" in
    --auto-login) auto_login=yes ;;
    --*) echo "unknown option $arg"; exit 2 ;;
    *) positional=$((positional + 1)); [ $positional -eq 1 ] && mingw=$arg || native=$arg ;;
  esac
done
exe=$mingw/src/platform/win32/KorvaneVantor.exe
driver=$mingw/tools/wine_driver/kvdriver.exe
terminal=$mingw/tools/mt_terminal/kvterminal.exe
service=$native/tools/reference_service/reference_service
for f in "$exe" "$driver" "$terminal" "$service"; do
  [ -e "$f" ] || { echo "not built: $f (build the native and the MinGW-w64 trees first)"; exit 1; }
done

demo=${KV_DEMO_DIR:-/tmp/korvane-vantor-demo}
rm -rf "$demo/install" "$demo/mt4" "$demo/mt5"
mkdir -p "$demo/install/Data" "$demo/mt4" "$demo/mt5"
: > "$demo/mt4/terminal.exe"
: > "$demo/mt5/terminal64.exe"
cp "$exe" "$demo/install/"
winpath() { printf 'Z:%s' "$(cd "$1" && pwd)" | tr / '\\'; }
printf 'demo@korvane.test;demo;7;12;Alpha;13;Beta;\n' > "$demo/accounts.txt"

pids=()
cleanup() {
  trap - EXIT INT TERM
  WINEPREFIX="$demo/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  echo "demo stopped; files are in $demo"
}
trap cleanup EXIT INT TERM

export WINEPREFIX="$demo/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  rm -f "$demo/display"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$demo/display" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -s "$demo/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$demo/display")"
  auto_login=yes
fi
wine=/usr/lib/wine/wine64
$wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# MT4 build 600 and later, and MT5, keep their files in a data folder named by the
# MD5 of the terminal's folder; the simulated terminal writes there, as they do.
roaming=$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -path '*/AppData/Roaming' ! -path '*/Public/*' | head -n1)
files_of() {  # TERMINAL_WINDOWS_PATH MQL4|MQL5
  local id
  id=$(python3 -c 'import hashlib, sys; print(hashlib.md5(sys.argv[1].upper().encode("utf-16-le")).hexdigest())' \
    "$1" | tr a-f A-F)
  printf '%s/MetaQuotes/Terminal/%s/%s/Files' "$roaming" "$id" "$2"
}
mt4_windows=$(winpath "$demo/mt4")
mt5_windows=$(winpath "$demo/mt5")
files=$(files_of "$mt4_windows" MQL4)
files5=$(files_of "$mt5_windows" MQL5)
# A new session: neither its orders nor the relay's record of them stay.
rm -rf "$files" "$files5"
mkdir -p "$files" "$files5"

"$service" --port 0 --accounts "$demo/accounts.txt" --files-folder "$files" --files-of 13="$files5" \
  --record "$demo/requests.txt" --lifetime 7200 > "$demo/service.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q '^listening on ' "$demo/service.log" && break; sleep 0.1; done
url=$(sed -n 's/^listening on //p' "$demo/service.log")
[ -n "$url" ] || { cat "$demo/service.log"; exit 1; }

# A later run: MT4 folder known, first-run marker present, so only the icon shows.
printf '%s\r\n' "$url" > "$demo/install/Data/Service.dat"
printf '%s\\\r\n' "$(winpath "$demo/mt4")" > "$demo/install/Data/Settings.dat"
printf '\r\n' > "$demo/install/Data/Install.dat"
printf '13|MT5|%s\\\r\n' "$mt5_windows" > "$demo/install/Data/Terminals.dat"

# A change every two to five seconds; each terminal restarted every five minutes.
$wine "$terminal" --mt4 "$mt4_windows" --history "$(winpath "$demo")\\session.txt" --seconds 0 --step-ms 2000-5000 \
  --restart-every 300 > "$demo/terminal.log" 2>&1 &
pids+=($!)
$wine "$terminal" --mt5 "$mt5_windows" --history "$(winpath "$demo")\\session-mt5.txt" --seconds 0 \
  --step-ms 3000-7000 --restart-every 300 > "$demo/terminal-mt5.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$files/../../origin.txt" ] && break; sleep 0.1; done

echo "service: $url    program: $demo/install/KorvaneVantor.exe"
(cd "$demo/install" && exec $wine KorvaneVantor.exe > "$demo/program.log" 2>&1) &
program=$!
pids+=($program)
$wine "$driver" wait-main 60000

if [ "$auto_login" = yes ]; then
  login="Korvane - Vantor Login"
  $wine "$driver" tray 516 && $wine "$driver" menu-pick 1
  $wine "$driver" set-text "$login" LOGIN_TXTUSER demo@korvane.test
  $wine "$driver" set-text "$login" LOGIN_TXTPASS demo
  $wine "$driver" click "$login" LOGIN_CMDLOGIN
  $wine "$driver" wait-window " Trade System Selection" 20000
  $wine "$driver" click " Trade System Selection" SYS_CMDPROCCED
  echo "logged in as demo@korvane.test: the MT4 goes to trade system 12 Alpha, the MT5 to 13 Beta"
else
  echo "Right-click the Korvane - Vantor icon, choose Login, and log in as demo@korvane.test with password demo."
fi
echo "Orders relayed (Ctrl-C to stop):"
tail -n +1 -f "$demo/service.log" | grep --line-buffered -E 'acknowledged|logged in|=>  "0;"' &
pids+=($!)
wait "$program" 2>/dev/null || true  # until the trader picks Exit

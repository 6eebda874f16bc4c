#!/usr/bin/env bash
# Builds ThermoBadge and runs it against a temperature server stand-in on this machine.
#   ./run.sh              until Ctrl+C
#   ./run.sh --for 60     stop everything after 60 seconds
# The indicator gets its own settings folder (build/run/config), so your own settings are not
# touched. Without a display it runs on a virtual one (Xvfb), prints the readings as they
# arrive and saves screenshots of the indicator and of its tray icon under build/run/screenshots/.
set -euo pipefail
cd "$(dirname "$0")"

seconds=""
while [ $# -gt 0 ]; do
  case "$1" in
    --for) seconds="${2:?--for needs a number of seconds}"; shift 2 ;;
    --for=*) seconds="${1#--for=}"; shift ;;
    -h|--help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$seconds" in ""|*[!0-9]*) [ -z "$seconds" ] || { echo "run.sh: --for takes whole seconds" >&2; exit 2; } ;; esac

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

export THERMOBADGE_LOOPBACK_ONLY=1
program=build/ThermoBadge
run=build/run
mkdir -p "$run/config/ThermoBadge" "$run/screenshots"
export XDG_CONFIG_HOME="$PWD/$run/config"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$PWD/$run/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

pids=()
cleanup() {
  trap - EXIT INT TERM
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 0' INT TERM

# The server: the first loopback address whose port 25002 is free.
server_log="$run/server.log"
address=""
for candidate in 127.0.0.1 127.0.0.2 127.0.0.3 127.0.0.4; do
  : >"$server_log"
  "$program/thermobadge-server" --bind "$candidate" --port 25002 --log >"$server_log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    grep -q '^listening on' "$server_log" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -q '^listening on' "$server_log"; then pids+=("$pid"); address="$candidate"; break; fi
done
[ -n "$address" ] || { echo "run.sh: could not start the server on 127.0.0.1..4:25002" >&2; cat "$server_log" >&2; exit 1; }
echo "temperature server: $address:25002 (simulated outdoor day), log in $server_log"

# Both provider groups point at that server; the provider is chosen, so no first-run dialog.
printf 'Local server\n1\n%s\nЛокальный\n1\n%s\n' "$address" "$address" >"$XDG_CONFIG_HOME/ThermoBadge/providers.txt"
settings="$XDG_CONFIG_HOME/ThermoBadge/ThermoBadge.ini"
grep -qs '^Prov=' "$settings" || printf '[Options]\nProv=0\n' >>"$settings"

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=1
  # Xvfb picks a free display number and writes it to descriptor 3.
  rm -f "$run/display"
  Xvfb -displayfd 3 -screen 0 640x360x24 -nolisten tcp -noreset 3>"$run/display" >"$run/xvfb.log" 2>&1 &
  pids+=("$!")
  for _ in $(seq 50); do [ -s "$run/display" ] && break; sleep 0.1; done
  [ -s "$run/display" ] || { echo "run.sh: Xvfb did not start (see $run/xvfb.log)" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$run/display")"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  export QT_QPA_PLATFORM=xcb
  echo "no display: the indicator runs on the virtual display $DISPLAY"
  # A window manager and a tray host (bottom right, 96 x 32) for the tray icon.
  openbox --sm-disable >"$run/openbox.log" 2>&1 &
  pids+=("$!")
  trayer --edge bottom --align right --widthtype pixel --width 96 --heighttype pixel --height 32 \
    --transparent true --alpha 0 --tint 0x404040 --expand false --SetDockType true >"$run/trayer.log" 2>&1 &
  pids+=("$!")
fi

export QT_LOGGING_RULES="thermobadge.reading.info=true"
"$program/ThermoBadge" 2>&1 | sed -u 's/^thermobadge\.reading: /indicator: /' &
pids+=("$!")
echo "indicator started; settings in $XDG_CONFIG_HOME/ThermoBadge"

shots=0
screenshot() {
  shots=$((shots + 1))
  local file="$run/screenshots/indicator-$(printf '%03d' "$shots").png"
  if import -window root "$file" 2>/dev/null; then
    cp "$file" "$run/screenshots/latest.png"
    # The tray alone, four times as large, so the digits can be seen.
    convert "$file" -crop 96x32+544+328 +repage -scale 400% "$run/screenshots/tray.png" 2>/dev/null || true
  fi
}

start=$SECONDS
while :; do
  if [ -n "$seconds" ] && [ $((SECONDS - start)) -ge "$seconds" ]; then break; fi
  sleep 1
  if [ "$headless" = 1 ] && [ $(((SECONDS - start) % 10)) -eq 3 ]; then screenshot; fi
done
if [ "$headless" = 1 ]; then
  screenshot
  echo "screenshots of the indicator: $run/screenshots/ (latest: $run/screenshots/latest.png)"
  echo "the tray with the temperature digits, enlarged: $run/screenshots/tray.png"
fi

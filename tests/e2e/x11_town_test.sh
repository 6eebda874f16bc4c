#!/usr/bin/env bash
# End to end under openbox on Xvfb, from an installed tree (program folder not writable) and a
# fresh settings folder, offline: the first start opens the town chooser beside the options
# dialog; a typed name lists the places of the geocoding stand-in, most populous first; Enter
# chooses the first; the local server starts against the weather stand-in and the indicator
# shows its temperature; "Отмена" in the first-run options dialog keeps "Локальный"; with the
# dialogs closed the indicator comes to rest under 30 MB. A second
# start shows the same town's temperature again with one server, and the companion server ends
# with the indicator. Then the same from the build tree with typed coordinates and its own server.
#   x11_town_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]
set -uo pipefail
program="${1:?usage: x11_town_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]}"
shots="${2:-}"
needs="Xvfb openbox xdotool xwininfo xprop xmodmap import python3"
. "$(dirname "$0")/x11_common.sh"

# The installed tree, its program folder read-only.
prefix="$tmp/prefix"
cmake --install "$program/.." --prefix "$prefix" >"$tmp/install.log" 2>&1 || fail "cmake --install: $(cat "$tmp/install.log")"
chmod -R a-w "$prefix/lib/thermobadge"
trap 'chmod -R u+w "$prefix" 2>/dev/null; cleanup' EXIT

python3 "$(dirname "$0")/geo_weather_stub.py" -7.5 >"$tmp/stub.log" 2>&1 &
pids+=("$!")
waitfor 10 test -s "$tmp/stub.log" || fail "the service stand-in did not start"
stub="http://127.0.0.1:$(head -n1 "$tmp/stub.log")"

start_x 1280x720
map_keysyms Cyrillic_em Cyrillic_o Cyrillic_es Cyrillic_ka
start_openbox

config="$tmp/config"
mkdir -p "$config"
folder="$prefix/lib/thermobadge" # the program folder whose indicator and server run
run() {
  XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$tmp/data" QT_QPA_PLATFORM=xcb THERMOBADGE_LOOPBACK_ONLY=1 \
    THERMOBADGE_GEOCODING_URL="$stub" THERMOBADGE_WEATHER_URL="$stub" QT_LOGGING_RULES="thermobadge.reading.info=true;thermobadge.memory.info=true" \
    "$folder/ThermoBadge" >>"$tmp/indicator.log" 2>&1 &
  indicator=$!
  pids+=("$indicator")
}
servers() { pgrep -f "^$folder/thermobadge-server --weather" | wc -l; }
readings() { grep -c "reading -7.5" "$tmp/indicator.log"; }
has_reading() { [ "$(readings)" -gt "$1" ]; }
chooser() { xdotool search --onlyvisible --name '^Город$' 2>/dev/null | head -n1; }
has_chooser() { [ -n "$(chooser)" ]; }
no_chooser() { ! has_chooser; }
dialog_window() {
  for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do
    xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG && [ "$w" != "$(chooser)" ] && { echo "$w"; return 0; }
  done
  return 1
}
has_options() { [ -n "$(dialog_window)" ]; }
no_options() { ! has_options; }
searched() { grep -q '^/v1/search?name=%D0%BC%D0%BE%D1%81%D0%BA&count=10&language=ru' "$tmp/stub.log"; }
# No search runs: its answer, if any, is in the list.
search_done() { ! pgrep -f -- "^$folder/thermobadge-server --find-town"; }
forecast_asked() { grep -q '^/v1/forecast' "$tmp/stub.log"; }
no_server() { [ "$(servers)" = 0 ]; }

# First start: the chooser and the options dialog.
run
waitfor 15 has_chooser || fail "the first start did not open the town chooser"
waitfor 10 has_options || fail "the options dialog did not open beside the chooser"
[ "$(servers)" = 0 ] || fail "a server runs before a town is chosen"
[ -e "$config/ThermoBadge/server.env" ] && fail "server.env was written before a town was chosen"
win=$(chooser)
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
sleep 0.3
xdotool type --delay 60 "моск"
# A pause in typing may search for the first letters too; the whole name must be searched.
waitfor 10 searched || fail "typing did not search for the whole name (stub log: $(cat "$tmp/stub.log"))"
waitfor 10 search_done || fail "the search did not end"
sleep 1
shot town-chooser
[ -z "$shots" ] || import -window "$win" "$shots/town-chooser-window.png"
[ -e "$config/ThermoBadge/server.env" ] && fail "a search wrote server.env"

# Enter chooses the first (most populous) place.
chosen_at=$(date +%s.%N)
xdotool key Return
waitfor 10 no_chooser || fail "the chooser did not close after the choice"
grep -q -- "--weather 55.75222,37.61556 --weather-url $stub" "$config/ThermoBadge/server.env" ||
  fail "server.env: $(cat "$config/ThermoBadge/server.env" 2>&1)"
waitfor 10 forecast_asked || fail "the server did not ask the weather stand-in"
waitfor 30 has_reading 0 || fail "no reading of the town within 30 s"
echo "from the choice to the first reading drawn: $(awk -v a="$chosen_at" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
[ "$(servers)" = 1 ] || fail "$(servers) servers run"
grep -q '^Prov=1' "$config/ThermoBadge/ThermoBadge.ini" || fail "Prov is not 1: $(cat "$config/ThermoBadge/ThermoBadge.ini")"
grep -q '^Town="Москва, Россия"' "$config/ThermoBadge/ThermoBadge.ini" || fail "the town is not stored"
# Cancelling the first-run options dialog stores its list's provider: the chooser made it "Локальный".
xdotool windowactivate --sync "$(dialog_window)" 2>/dev/null
xdotool key Escape
waitfor 5 no_options || fail "Esc did not close the options dialog"
grep -q '^Prov=1' "$config/ThermoBadge/ThermoBadge.ini" || fail "cancelling the options dialog undid the town's provider"
# With every dialog closed the indicator comes to rest and gives back what they needed.
rested() { [ "$(grep -c 'at rest: gave back' "$tmp/indicator.log")" -gt "$1" ]; }
rests=$(grep -c 'at rest: gave back' "$tmp/indicator.log")
waitfor 40 rested "$rests" || fail "the indicator did not come to rest after the dialogs closed"
rss=$(awk '/VmRSS/ {print $2}' "/proc/$indicator/status")
echo "indicator resident memory at rest after the choice: $(awk -v k="$rss" 'BEGIN {printf "%.1f MiB", k / 1024}')"
# A sanitizer build keeps shadow memory of its own: the bound holds for the real program.
ldd "$folder/ThermoBadge" | grep -q libasan || [ "$rss" -lt $((30 * 1000 * 1000 / 1024)) ] ||
  fail "the indicator holds $rss KiB at rest, over 30 MB"
shot town-reading

# The companion ends with the indicator; a second start finds the same town, one server, readings.
kill -TERM "$indicator"
wait "$indicator" 2>/dev/null
waitfor 5 no_server || fail "the server outlived the indicator"
before=$(readings)
run
waitfor 30 has_reading "$before" || fail "no reading after the restart"
sleep 1
no_chooser || fail "the chooser opened again although a town is set"
[ "$(servers)" = 1 ] || fail "$(servers) servers run after the restart"

# The build tree works the same way, with the build's own server.
kill -TERM "$indicator"
wait "$indicator" 2>/dev/null
waitfor 5 no_server || fail "the server outlived the indicator"
folder=$(cd "$program" && pwd)
rm -rf "$config"
mkdir -p "$config"
before=$(readings)
run
waitfor 15 has_chooser || fail "the build tree's first start did not open the town chooser"
xdotool windowactivate --sync "$(chooser)" 2>/dev/null
xdotool type --delay 60 "55.75, 37.62"
sleep 1.5 # the pause in typing starts the search
waitfor 10 search_done || fail "the search of the typed coordinates did not end"
sleep 0.5
xdotool key Return
waitfor 30 has_reading "$before" || fail "no reading from the build tree's server"
[ "$(servers)" = 1 ] || fail "$(servers) of the build's servers run"
grep -q -- "--weather 55.75,37.62 " "$config/ThermoBadge/server.env" || fail "typed coordinates: $(cat "$config/ThermoBadge/server.env")"
echo "ok: town chosen, server started, reading -7.5 shown, restart keeps the town; the build tree too"

#!/usr/bin/env bash
# End to end on a real X server (Xvfb): the indicator window is frameless and out of the task
# bar, transparent parts of the skin stay transparent without a compositing manager (shape
# mask) and with one (per-pixel alpha, no mask), it switches when the compositor comes and
# goes, and SIGTERM shuts it down cleanly with its settings saved.
#   x11_window_test.sh PROGRAM_FOLDER
set -uo pipefail
program="${1:?usage: x11_window_test.sh PROGRAM_FOLDER}"
for tool in Xvfb xcompmgr xsetroot xwininfo xprop import convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/indicator.log" ] && sed 's/^/  indicator: /' "$tmp/indicator.log"; exit 1; }
waitfor() { # seconds, command...
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}
pixel() { convert "$1" -format "%[pixel:p{$2}]" info:; }

# Xvfb picks a free display number and writes it to descriptor 3.
Xvfb -displayfd 3 -screen 0 400x300x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=("$!")
has_display() { [ -s "$tmp/display" ]; }
waitfor 10 has_display || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$tmp/display")"
waitfor 10 xwininfo -root || fail "Xvfb does not answer"
xsetroot -solid '#3366aa'

mkdir -p "$tmp/config/ThermoBadge"
printf 'A\n1\n127.0.0.1\nB\n1\n127.0.0.1\n' >"$tmp/config/ThermoBadge/providers.txt"
printf '[Options]\nProv=0\n' >"$tmp/config/ThermoBadge/ThermoBadge.ini"
XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=xcb THERMOBADGE_LOOPBACK_ONLY=1 "$program/ThermoBadge" >"$tmp/indicator.log" 2>&1 &
indicator=$!
pids+=("$indicator")

window() { xwininfo -root -tree | awk '/"ThermoBadge": \("ThermoBadge"/ {print $1; exit}'; }
has_window() { [ -n "$(window)" ]; }
waitfor 10 has_window || fail "the indicator window did not appear"
id=$(window)
waitfor 5 sh -c "xwininfo -id $id | grep -q 'Map State: IsViewable'" || fail "the window is not shown"
xwininfo -id "$id" | grep -q 'Width: 256' || fail "the window is not the size of the 256x128 skin"
xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q '_NET_WM_WINDOW_TYPE_UTILITY' || fail "the window is not a tool window (it would show in the task bar)"
# Motif hints: decorations flag set (0x2) and no decorations (third field 0).
xprop -id "$id" _MOTIF_WM_HINTS | grep -Eq '= 0x2, 0x[0-9a-f]+, 0x0' || fail "the window asks for a frame"
xprop -id "$id" _NET_WM_STATE | grep -q '_NET_WM_STATE_ABOVE' || fail "the window is not kept on top"

# No compositing manager: a shape cut from the alpha channel.
xwininfo -shape -id "$id" | grep -q 'Window shape extents' || fail "no shape mask without a compositor"
# The desktop colour is set again now: a freshly started Xvfb may not have painted it yet.
xsetroot -solid '#3366aa'
sleep 0.5
import -window root "$tmp/plain.png"
[ "$(pixel "$tmp/plain.png" 1,1)" = "srgb(51,102,170)" ] || fail "the transparent corner is not a hole: $(pixel "$tmp/plain.png" 1,1)"
[ "$(pixel "$tmp/plain.png" 128,64)" != "srgb(51,102,170)" ] || fail "nothing drawn in the middle"
echo "no compositor: shaped window, corner shows the desktop"

# A compositing manager appears: per-pixel alpha, no mask.
xcompmgr >"$tmp/xcompmgr.log" 2>&1 &
compositor=$!
pids+=("$compositor")
waitfor 8 sh -c "xwininfo -shape -id $id | grep -q 'No window shape defined'" || fail "the mask stays with a compositor"
sleep 0.5
import -window root "$tmp/composited.png"
[ "$(pixel "$tmp/composited.png" 128,64)" = "$(pixel "$tmp/plain.png" 128,64)" ] || fail "the middle changed under the compositor"
echo "compositor: per-pixel alpha, no mask"

# It goes away again: back to the mask.
kill "$compositor"
waitfor 8 sh -c "xwininfo -shape -id $id | grep -q 'Window shape extents'" || fail "no mask after the compositor left"
echo "compositor gone: shaped again"

kill -TERM "$indicator"
waitfor 5 sh -c "! kill -0 $indicator" || fail "SIGTERM did not end the indicator"
wait "$indicator"; rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
grep -q '^PosMain=0|0' "$tmp/config/ThermoBadge/ThermoBadge.ini" || fail "the shutdown did not save the window position"
echo "SIGTERM: clean exit, settings saved"

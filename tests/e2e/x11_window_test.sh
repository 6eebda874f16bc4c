#!/usr/bin/env bash
# End to end on a real X server (Xvfb): the indicator window is frameless and out of the task
# bar, transparent parts of the skin stay transparent without a compositing manager (shape
# mask) and with one (per-pixel alpha, no mask), it switches when the compositor comes and
# goes, and SIGTERM shuts it down cleanly with its settings saved.
#   x11_window_test.sh PROGRAM_FOLDER
set -uo pipefail
program="${1:?usage: x11_window_test.sh PROGRAM_FOLDER}"
needs="Xvfb xcompmgr xsetroot xwininfo xprop import convert"
. "$(dirname "$0")/x11_common.sh"
pixel() { convert "$1" -format "%[pixel:p{$2}]" info:; }

start_x 400x300
xsetroot -solid '#3366aa'

write_settings
start_indicator
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

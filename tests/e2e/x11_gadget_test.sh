#!/usr/bin/env bash
# End to end under openbox on Xvfb: the indicator is a desktop gadget. Its window manager state
# says sticky, skip taskbar, skip pager and above, it carries the program icon at 16 and 32
# pixels, and it stays viewable when the workspace changes; with Sticky=0 it stays behind on
# its own workspace.
#   x11_gadget_test.sh PROGRAM_FOLDER
set -uo pipefail
program="${1:?usage: x11_gadget_test.sh PROGRAM_FOLDER}"
needs="Xvfb openbox xdotool xwininfo xprop"
. "$(dirname "$0")/x11_common.sh"

start_x 640x400
start_openbox
waitfor 20 sh -c "xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q '= [2-9]'" || fail "openbox did not start with several workspaces"

run_indicator() { # extra settings lines
  write_settings "$1"
  start_indicator
}
stop_indicator() { kill -TERM "$indicator"; wait "$indicator" 2>/dev/null; xdotool set_desktop 0; sleep 0.3; }

run_indicator ""
state=$(xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP)
echo "$state"
for s in SKIP_TASKBAR SKIP_PAGER ABOVE; do
  grep -q "_NET_WM_STATE_$s" <<<"$state" || fail "_NET_WM_STATE lacks $s"
done
# Sticky: openbox keeps it as "on every desktop" rather than as a state.
grep -Eq '_NET_WM_STATE_STICKY|_NET_WM_DESKTOP\(CARDINAL\) = 4294967295' <<<"$state" || fail "the window is not sticky"
icons=$(xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u | tr '\n' ' ')
echo "window icons: $icons"
grep -q 'Icon (16 x 16)' <<<"$icons" && grep -q 'Icon (32 x 32)' <<<"$icons" || fail "no 16 and 32 pixel window icons"
xdotool set_desktop 2
waitfor 3 sh -c "xprop -root _NET_CURRENT_DESKTOP | grep -q '= 2'" || fail "the workspace did not change"
sleep 0.3
viewable || fail "the indicator vanished on another workspace"
echo "workspace 3: still viewable"
stop_indicator

run_indicator "Sticky=0
"
xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP | grep -Eq 'STICKY|4294967295' && fail "Sticky=0 still sticky"
xdotool set_desktop 2
waitfor 3 sh -c "xprop -root _NET_CURRENT_DESKTOP | grep -q '= 2'" || fail "the workspace did not change"
waitfor 3 sh -c "xwininfo -id $id | grep -q IsUnMapped" || fail "with Sticky=0 the indicator follows to other workspaces"
xdotool set_desktop 0
waitfor 3 viewable || fail "with Sticky=0 the indicator did not come back on its workspace"
echo "Sticky=0: stays on its own workspace"
stop_indicator

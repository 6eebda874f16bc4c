#!/usr/bin/env bash
# End to end with a real window manager (openbox), a real XEmbed tray host (trayer) and real
# input (xdotool) on Xvfb: the tray icon appears when a tray starts after the indicator and
# shows the digits in the below-zero colour; a left click on it hides and shows the window; a
# right click on the window and on the icon opens the menu; a drag moves the window by the
# distance dragged; the panel and the about box open from the menu, offer no minimise, and come
# back from minimised (the panel with the indicator, by a tray click); after "Впереди" twice a
# hidden and shown window keeps its place and window manager hints; the window manager's close
# command (Alt+F4) ends the program with its settings saved.
#   x11_tray_menu_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]
set -uo pipefail
program="${1:?usage: x11_tray_menu_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]}"
shots="${2:-}"
needs="Xvfb openbox trayer xdotool xwininfo xprop import convert"
. "$(dirname "$0")/x11_common.sh"

start_x 640x400
start_openbox

# A stored reading of -12.5: the tray shows 13 in the below-zero digit colour (blue).
write_settings "PosMain=60|40
"
printf '[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=sz:-12,5\nTime=sz:07.03.2024 14:05:00\n' >"$tmp/config/ThermoBadge/registry.ini"
LANG=ru_RU.UTF-8 start_indicator
echo "indicator up without a tray at $(origin)"

# The tray starts after the indicator: the icon must come by itself.
trayer --edge bottom --align right --widthtype pixel --width 96 --heighttype pixel --height 32 \
  --transparent true --alpha 0 --tint 0x404040 --expand false --SetDockType true >"$tmp/trayer.log" 2>&1 &
pids+=("$!")
# The digits' blue in the tray area (the bottom 32 rows, right 96 columns).
blue_at() {
  import -window root "$tmp/tray.png" 2>/dev/null || return 1
  convert "$tmp/tray.png" -crop 96x32+544+368 +repage txt:- | awk -F'[,:]' '/#0000FF/ {print $1 + 544, $2 + 368; exit}'
}
has_digits() { [ -n "$(blue_at)" ]; }
waitfor 15 has_digits || fail "no blue digits in the tray"
read -r tx ty <<<"$(blue_at)"
shot tray
convert "$tmp/tray.png" -crop 96x32+544+368 +repage -scale 400% "$tmp/tray-zoom.png" && { [ -z "$shots" ] || cp "$tmp/tray-zoom.png" "$shots/"; }
echo "tray icon with blue digits at $tx,$ty"

# A left click on the icon hides the window, another shows it again.
xdotool mousemove "$tx" "$ty" click 1
waitfor 5 sh -c "xwininfo -id $id | grep -q 'IsUnMapped'" || fail "a left click on the tray icon did not hide the window"
grep -q '^Show=False' "$tmp/config/ThermoBadge/ThermoBadge.ini" || fail "hiding did not save Show=False"
# Past the double-click time: a second press within it is a double click, which does nothing.
sleep 0.8
xdotool mousemove "$tx" "$ty" click 1
waitfor 5 viewable || fail "a second left click did not show the window"
echo "tray left click: hide and show"

read -r wx wy <<<"$(origin)"
xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
waitfor 5 popup_open || fail "a right click on the window opened no menu"
sleep 0.5 # the menu grabs the keyboard just after it appears
shot menu
xdotool key Escape
sleep 0.5
popup_open && fail "Escape did not close the menu"
xdotool mousemove "$tx" "$ty" click 3
waitfor 5 popup_open || fail "a right click on the tray icon opened no menu"
sleep 0.5 # the menu grabs the keyboard just after it appears
xdotool key Escape
sleep 0.5
echo "right click: menu from the window and from the tray"

# The panel ("Масштаб", sixth item) and the about box (second from the end) from the menu.
# Visible windows of the program whose title holds the text (titles are UTF-8).
titled() {
  for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do
    LC_ALL=C.UTF-8 xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -qF "$1" && return 0
  done
  return 1
}
xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
waitfor 5 popup_open || fail "no menu for the panel"
sleep 0.5 # the menu grabs the keyboard just after it appears
xdotool key Down Down Down Down Down Down Return
waitfor 5 titled "Регулирование" || fail "the panel did not open"
sleep 0.5
shot panel
xdotool key Escape
sleep 0.5
titled "Регулирование" && fail "Esc did not close the panel"
grep -q '^FrmSliderL=' "$tmp/config/ThermoBadge/ThermoBadge.ini" || fail "closing the panel did not store its position"
xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
waitfor 5 popup_open || fail "no menu for the about box"
sleep 0.5 # the menu grabs the keyboard just after it appears
xdotool key Up Up Return
waitfor 5 titled "О программе" || fail "the about box did not open"
sleep 0.5
shot about
xdotool key Escape
sleep 0.5
titled "О программе" && fail "Esc did not close the about box"
echo "panel and about box open from the menu and close with Esc"

# "Впереди" twice, then hide and show: the window keeps its place and its manners (out of the
# task bar and pager, on every workspace), whatever native window Qt has made for it.
for stored in False True; do
  xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
  waitfor 5 popup_open || fail "no menu for \"Впереди\""
  sleep 0.5
  # The pointer leaves the menu, so no item is highlighted: the second item is "Впереди".
  xdotool mousemove 600 20
  sleep 0.3
  xdotool key Down Down Return
  waitfor 5 grep -q "^WinTop=$stored" "$tmp/config/ThermoBadge/ThermoBadge.ini" || fail "\"Впереди\" did not store WinTop=$stored"
done
xdotool mousemove "$tx" "$ty" click 1
waitfor 5 sh -c "! xdotool search --onlyvisible --name '^ThermoBadge$' >/dev/null" || fail "a left click on the tray icon did not hide the window"
sleep 0.8
xdotool mousemove "$tx" "$ty" click 1
indicator_window() { xdotool search --onlyvisible --name '^ThermoBadge$' 2>/dev/null | while read -r w; do xprop -id "$w" _NET_WM_WINDOW_TYPE | grep -q UTILITY && echo "$w"; done | head -n1; }
has_indicator() { [ -n "$(indicator_window)" ]; }
waitfor 5 has_indicator || fail "the window did not come back"
id=$(indicator_window)
sleep 0.3
state=$(xprop -id "$id" _NET_WM_STATE _NET_WM_DESKTOP)
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" && grep -q _NET_WM_STATE_SKIP_PAGER <<<"$state" || fail "after \"Впереди\" twice, hide and show: $state"
grep -Eq '_NET_WM_STATE_STICKY|_NET_WM_DESKTOP\(CARDINAL\) = 4294967295' <<<"$state" || fail "after \"Впереди\" twice, hide and show the window is on one workspace: $state"
[ "$(origin)" = "$wx $wy" ] || fail "after \"Впереди\" twice, hide and show the window moved from $wx $wy to $(origin)"
echo "\"Впереди\" twice, hide, show: $(tr '\n' ' ' <<<"$state")"


# The program's visible window whose title holds the text.
window_titled() {
  for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do
    LC_ALL=C.UTF-8 xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -qF "$1" && { echo "$w"; return 0; }
  done
  return 1
}
# Neither the panel nor the about box offers minimise or maximise where the window manager
# follows the Motif hints: no "all functions" bit, no minimise (8) or maximise (16) bit.
no_minimise() { # window
  local functions
  functions=$(xprop -id "$1" _MOTIF_WM_HINTS | awk -F'[=,]' '{print $3 + 0}')
  [ -n "$functions" ] && [ $((functions & 25)) -eq 0 ]
}
# Opens the window's menu and presses the keys.
menu_keys() { # what-for keys...
  xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
  waitfor 5 popup_open || fail "no menu for $1"
  shift
  sleep 0.5 # the menu grabs the keyboard just after it appears
  xdotool key "$@"
}
# Opens the window titled TITLE with the menu keys, checks that it offers no minimise and
# minimises it; its id in $opened.
open_and_minimise() { # title keys...
  local title=$1
  shift
  menu_keys "$title" "$@"
  waitfor 5 titled "$title" || fail "\"$title\" did not open again"
  opened=$(window_titled "$title")
  no_minimise "$opened" || fail "\"$title\" offers minimise or maximise: $(xprop -id "$opened" _MOTIF_WM_HINTS)"
  xdotool windowminimize "$opened"
}
# Minimising the modal panel minimises the indicator with it; a click on the tray icon brings
# both back, and the indicator is not hidden by it.
open_and_minimise "Регулирование" Down Down Down Down Down Down Return
panel=$opened
waitfor 5 sh -c "xwininfo -id $id | grep -q IsUnMapped" || fail "minimising the panel did not minimise the indicator (the case this tests)"
sleep 0.8
xdotool mousemove "$tx" "$ty" click 1
waitfor 5 viewable || fail "a tray click did not bring the indicator back from minimised"
waitfor 5 sh -c "xwininfo -id $panel | grep -q IsViewable" || fail "a tray click did not bring the minimised panel back"
sleep 1 # openbox animates the restore
shot panel-back
grep -q '^Show=False' "$tmp/config/ThermoBadge/ThermoBadge.ini" && fail "the tray click hid the indicator"
xdotool windowactivate --sync "$panel" 2>/dev/null; xdotool key --window "$panel" Escape
waitfor 5 sh -c "! xwininfo -id $panel 2>/dev/null | grep -q IsViewable" || fail "Esc did not close the panel"
echo "minimised panel: a tray click brings the indicator and the panel back"

# A minimised about box comes back when it is asked for again.
open_and_minimise "О программе" Up Up Return
about=$opened
waitfor 5 sh -c "xwininfo -id $about | grep -q IsUnMapped" || fail "the about box was not minimised"
sleep 0.5
menu_keys "the about box" Up Up Return
waitfor 5 titled "О программе" || fail "\"О программе\" did not bring the minimised about box back"
# (Qt may have given it a new native window on the way.)
about=$(window_titled "О программе")
# (Esc closes and deletes the box at the key press: the release then names a window that is gone.)
xdotool windowactivate --sync "$about" 2>/dev/null; xdotool key --window "$about" Escape 2>/dev/null
waitfor 5 sh -c "! xdotool search --onlyvisible --name 'О программе' >/dev/null" || fail "Esc did not close the about box"
echo "minimised about box: shown again from the menu"

# A drag with the left button moves the window by exactly the distance moved: it follows the
# pointer from where the button went down, not from where the drag distance was passed.
xdotool mousemove $((wx + 30)) $((wy + 30)) mousedown 1
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove $((wx + 30 + step * 5)) $((wy + 30 + step * 3)); sleep 0.05; done
xdotool mouseup 1
moved() { read -r nx ny <<<"$(origin)"; [ "$nx" -eq $((wx + 40)) ] && [ "$ny" -eq $((wy + 24)) ]; }
waitfor 5 moved || fail "a 40 x 24 drag moved the window from $wx $wy to $(origin)"
read -r nx ny <<<"$(origin)"
popup_open && fail "the drag opened the menu"
echo "drag: moved from $wx,$wy to $nx,$ny"

# The window manager's close command ends the program in order.
xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
xdotool key alt+F4
waitfor 10 sh -c "! kill -0 $indicator" || fail "Alt+F4 did not end the program"
wait "$indicator"; rc=$?
[ "$rc" = 0 ] || fail "exit code $rc after Alt+F4"
grep -q "^PosMain=$nx|$ny" "$tmp/config/ThermoBadge/ThermoBadge.ini" || fail "PosMain was not saved as $nx|$ny: $(grep PosMain "$tmp/config/ThermoBadge/ThermoBadge.ini")"
echo "Alt+F4: clean exit, position $nx|$ny saved"

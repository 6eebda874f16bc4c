#!/usr/bin/env bash
# End to end with a real window manager (openbox), a real XEmbed tray host (trayer) and real
# input (xdotool) on Xvfb: the tray icon appears when a tray starts after the indicator and
# shows the digits in the below-zero colour; a left click on it hides and shows the window; a
# right click on the window and on the icon opens the menu; a drag moves the window; the
# panel and the about box open from the menu; the window manager's close command (Alt+F4)
# ends the program with its settings saved.
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

# A menu is an override-redirect window of the program with no title, taller than the tray
# icon (which is one too).
popup_open() {
  for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do
    xprop -id "$w" WM_NAME 2>/dev/null | grep -Eq '= ("")?$' || continue
    xwininfo -id "$w" | awk '/Override Redirect State: yes/ {o=1} /Height:/ {h=$2} END {exit !(o && h > 64)}' && return 0
  done
  return 1
}
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

# A drag with the left button moves the window by the distance moved.
xdotool mousemove $((wx + 30)) $((wy + 30)) mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do xdotool mousemove $((wx + 30 + step * 10)) $((wy + 30 + step * 5)); sleep 0.05; done
xdotool mouseup 1
moved() { read -r nx ny <<<"$(origin)"; [ "$nx" -ge $((wx + 80)) ] && [ "$ny" -ge $((wy + 40)) ]; }
waitfor 5 moved || fail "the drag did not move the window: $(origin), was $wx $wy"
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

#!/usr/bin/env bash
# End to end under openbox on Xvfb: a double-click on the indicator starts the look editor;
# picking another skin in the editor changes the indicator at once; saving writes "Selected";
# `ThermoBadge --send "S=48"` changes the running indicator's text size; a restarted indicator
# shows the saved look.
#   x11_editor_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]
set -uo pipefail
source_program="${1:?usage: x11_editor_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]}"
shots="${2:-}"
needs="Xvfb openbox xdotool xwininfo import convert compare"
. "$(dirname "$0")/x11_common.sh"
[ -x "$source_program/ThermoBadgeOpt.dll" ] || { echo "skipped: no look editor in $source_program"; exit 77; }
# The editor writes the skin list: work on a copy of the program folder.
program="$tmp/program"
cp -r "$source_program" "$program"

start_x 1280x800
start_openbox
write_settings "PosMain=0|0
"
printf '[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=sz:-12,5\nTime=sz:07.03.2024 14:05:00\n' >"$tmp/config/ThermoBadge/registry.ini"
LANG=ru_RU.UTF-8 start_indicator
sleep 1

# The indicator's pixels, and how many of them differ from an earlier capture.
capture() { # name
  read -r x y <<<"$(origin)"
  import -window root -crop "256x128+$x+$y" +repage "$tmp/$1.png"
  [ -z "$shots" ] || cp "$tmp/$1.png" "$shots/"
}
differs() { # name1 name2 -> true when more than 2 % of the pixels changed
  local n
  n=$(compare -metric AE -fuzz 10% "$tmp/$1.png" "$tmp/$2.png" null: 2>&1 | cut -d' ' -f1)
  [ "${n%.*}" -gt 655 ]
}
capture frost

read -r x y <<<"$(origin)"
xdotool mousemove $((x + 20)) $((y + 20)) click --repeat 2 --delay 80 1
editor() { xdotool search --onlyvisible --class ThermoBadgeOpt 2>/dev/null | head -n1; }
has_editor() { [ -n "$(editor)" ]; }
waitfor 15 has_editor || fail "a double-click on the indicator started no editor"
ed=$(editor)
sleep 1.5
xdotool windowmove "$ed" 300 150
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$ed")"
echo "editor up at $X,$Y ${WIDTH}x$HEIGHT"

# The "Summer" folder (second in the folder list), its first picture.
xdotool mousemove $((X + 200)) $((Y + 31)) click 1
sleep 0.5
xdotool key Down Return
sleep 0.8
xdotool mousemove $((X + 67)) $((Y + 110)) click 1
capture_summer() { capture summer && differs frost summer; }
waitfor 3 capture_summer || fail "picking another skin in the editor did not change the indicator"
[ -z "$shots" ] || import -window root "$shots/editor.png"
echo "the indicator follows the editor"

xdotool mousemove $((X + 643)) $((Y + 478)) click 1
saved() { grep -aq '^Selected=Summer' "$program/ThermoBadge.ini"; }
waitfor 3 saved || fail "saving did not write Selected: $(grep -a Selected "$program/ThermoBadge.ini")"
xdotool mousemove $((X + 730)) $((Y + 478)) click 1
waitfor 5 sh -c "! xdotool search --onlyvisible --class ThermoBadgeOpt | grep -q ." || fail "the editor did not close"
echo "saved: $(grep -a '^Selected=' "$program/ThermoBadge.ini" | cut -c1-40)..."

"$program/ThermoBadge" --send "S=48" || fail "--send found no indicator"
capture_small() { capture small && differs summer small; }
waitfor 3 capture_small || fail "--send S=48 did not change the indicator"
"$program/ThermoBadge" --send "S=60" >/dev/null
echo "--send S=48 changed the text size"

kill -TERM "$indicator"
waitfor 5 sh -c "! kill -0 $indicator" || fail "SIGTERM did not end the indicator"
LANG=ru_RU.UTF-8 start_indicator
sleep 1
capture restarted
differs summer restarted && fail "the restarted indicator does not show the saved look"
echo "restart: the saved look is back"
if "$program/ThermoBadge" --send "S=48" 2>/dev/null; then :; fi
kill -TERM "$indicator"; wait "$indicator" 2>/dev/null
"$program/ThermoBadge" --send "S=48" 2>/dev/null && fail "--send succeeded with no indicator running"
echo "--send without an indicator: refused"

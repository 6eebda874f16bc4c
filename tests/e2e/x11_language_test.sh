#!/usr/bin/env bash
# End to end under openbox on Xvfb: the indicator speaks the desktop's language. Under a German
# locale the first start opens the town chooser titled "Town" and the options dialog in English,
# the menu and the about box are English; under a Russian locale they are Russian as written; the
# setting Lang=en turns a Russian desktop's indicator and its look editor English; an unknown
# Lang is logged and the locale decides.
#   x11_language_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]   (menu-en.png, options-en.png)
set -uo pipefail
program="${1:?usage: x11_language_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]}"
shots="${2:-}"
needs="Xvfb openbox trayer xdotool xwininfo xprop import"
. "$(dirname "$0")/x11_common.sh"
[ -f "$program/translations/thermobadge_en.qm" ] || fail "no translations/thermobadge_en.qm in $program"

start_x 640x400
start_openbox
# A tray, so that the menu offers "Hide".
trayer --edge bottom --align right --widthtype pixel --width 96 --heighttype pixel --height 32 \
  --transparent true --alpha 0 --tint 0x404040 --expand false --SetDockType true >"$tmp/trayer.log" 2>&1 &
pids+=("$!")
ini="$tmp/config/ThermoBadge/ThermoBadge.ini"

# The program's visible window whose title holds the text (titles are UTF-8).
window_titled() {
  for w in $(xdotool search --onlyvisible --class "${2:-ThermoBadge}" 2>/dev/null); do
    LC_ALL=C.UTF-8 xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -qF "\"$1" && { echo "$w"; return 0; }
  done
  return 1
}
titled() { [ -n "$(window_titled "$@")" ]; }
not_titled() { ! titled "$@"; }
is_dialog() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; }
dialog_window() { for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do is_dialog "$w" && { echo "$w"; return 0; }; done; return 1; }
has_dialog() { [ -n "$(dialog_window)" ]; }
no_dialog() { ! has_dialog; }
# A right click on the window opens the menu; a click that comes while a closing window still
# holds the pointer is lost, so it is tried again.
open_menu() {
  read -r wx wy <<<"$(origin)"
  for attempt in 1 2 3; do
    xdotool mousemove $((wx + 30)) $((wy + 30)) click 3
    waitfor 3 popup_open && break
    [ "$attempt" = 3 ] && fail "a right click on the window opened no menu"
    xdotool key Escape
  done
  sleep 0.5 # the menu grabs the keyboard just after it appears
}
# The about box (second item from the end of the menu) is titled TITLE; Esc closes it.
about_titled() { # title
  open_menu
  xdotool key Up Up Return
  waitfor 5 titled "$1" || fail "the about box is not titled \"$1\" (LANG=$LANG, $(grep '^Lang' "$ini"))"
  xdotool key Escape
  waitfor 5 not_titled "$1" || fail "Esc did not close the about box"
}
stop() { kill -TERM "$indicator"; wait "$indicator" 2>/dev/null; }

# A German desktop, first start: nothing chosen yet, so the town chooser and the options dialog open.
# The provider groups on loopback, named as the built-in ones: the dialog shows them translated.
write_settings "PosMain=10|40
"
sed -i '/^Prov=/d' "$ini"
printf 'Интернет\n1\n127.0.0.1\nЛокальный\n1\n127.0.0.1\n' >"$tmp/config/ThermoBadge/providers.txt"
printf '[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=sz:-12,5\nTime=sz:07.03.2024 14:05:00\n' >"$tmp/config/ThermoBadge/registry.ini"
LANG=de_DE.UTF-8 start_indicator
waitfor 10 titled Town || fail "the first start under LANG=de_DE.UTF-8 opened no town chooser titled \"Town\""
waitfor 10 has_dialog || fail "the first start opened no options dialog"
xdotool windowactivate --sync "$(window_titled Town)" key Escape
waitfor 5 not_titled Town || fail "Esc did not close the town chooser"
dlg=$(dialog_window)
xdotool windowmove "$dlg" 285 50
sleep 0.8
shot options-en
xdotool windowactivate --sync "$dlg" 2>/dev/null || xdotool windowfocus "$dlg"
xdotool key Return
waitfor 5 no_dialog || fail "Enter did not close the options dialog"
open_menu
shot menu-en
xdotool key Escape
sleep 0.5
about_titled "About..."
stop
echo "LANG=de_DE.UTF-8: town chooser \"Town\", about box \"About...\""

# A Russian desktop: the texts as written.
LANG=ru_RU.UTF-8 start_indicator
about_titled "О программе..."
stop
echo "LANG=ru_RU.UTF-8: about box \"О программе...\""

# Lang=en overrides the Russian desktop, for the look editor too.
echo "Lang=en" >>"$ini"
LANG=ru_RU.UTF-8 start_indicator
about_titled "About..."
read -r x y <<<"$(origin)"
xdotool mousemove $((x + 20)) $((y + 20)) click --repeat 2 --delay 80 1
waitfor 15 titled "ThermoBadge indicator look" ThermoBadgeOpt || fail "the look editor is not English under Lang=en"
editor=$(window_titled "ThermoBadge indicator look" ThermoBadgeOpt)
pids+=("$(xdotool getwindowpid "$editor")")
xdotool windowclose "$editor"
waitfor 5 not_titled "ThermoBadge indicator look" ThermoBadgeOpt || fail "the look editor did not close"
stop
echo "LANG=ru_RU.UTF-8, Lang=en: about box \"About...\", look editor \"ThermoBadge indicator look\""

# An unknown Lang is logged and the locale decides.
sed -i 's/^Lang=.*/Lang=xx/' "$ini"
LANG=ru_RU.UTF-8 start_indicator
about_titled "О программе..."
stop
grep -q 'setting Lang = xx is not "ru", "en" or empty' "$tmp/indicator.log" || fail "the unknown Lang was not logged"
echo "LANG=ru_RU.UTF-8, Lang=xx: logged, about box \"О программе...\""
echo "PASS"

#!/usr/bin/env bash
# End to end under openbox on Xvfb: the first start with an empty settings folder opens the
# options dialog by itself, framed with a border and no title bar, fixed in size; a drag on its
# background moves it; Enter stores the provider, the version check, autorun, the tray keys,
# the four colours and the dialog's position. The next start does not open it; "Настройки" in
# the menu does, showing the stored tray colours, and Esc closes it without storing them again.
#   x11_options_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]
set -uo pipefail
program="${1:?usage: x11_options_test.sh PROGRAM_FOLDER [SCREENSHOT_FOLDER]}"
shots="${2:-}"
needs="Xvfb openbox xdotool xwininfo xprop import convert"
. "$(dirname "$0")/x11_common.sh"

start_x 640x400
start_openbox

# The program's windows: the options dialog is the one of the dialog type; the indicator is
# the other managed one (menus and tips are override-redirect). An empty title makes X show the
# program's name on both, so names tell them apart not at all.
program_windows() { xdotool search --onlyvisible --class ThermoBadge 2>/dev/null; }
is_dialog() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; }
dialog_window() { for w in $(program_windows); do is_dialog "$w" && { echo "$w"; return 0; }; done; return 1; }
indicator_window() {
  for w in $(program_windows); do
    is_dialog "$w" && continue
    xwininfo -id "$w" | grep -q 'Override Redirect State: no' && { echo "$w"; return 0; }
  done
  return 1
}
has_dialog() { [ -n "$(dialog_window)" ]; }
no_dialog() { ! has_dialog; }
has_indicator() { [ -n "$(indicator_window)" ]; }
geometry() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'; }
# A point of the dialog given in its twips (5160 x 3180 over its client area).
at_twips() { read -r dx dy dw dh <<<"$(geometry "$dlg")"; echo $((dx + dw * $1 / 5160)) $((dy + dh * $2 / 3180)); }
run() {
  XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=xcb THERMOBADGE_LOOPBACK_ONLY=1 "$program/ThermoBadge" >>"$tmp/indicator.log" 2>&1 &
  indicator=$!
  pids+=("$indicator")
}
stop() { kill -TERM "$indicator"; wait "$indicator" 2>/dev/null; }
ini="$tmp/config/ThermoBadge/ThermoBadge.ini"

# First start: nothing stored.
mkdir -p "$tmp/config"
run
waitfor 10 has_dialog || fail "the first start did not open the options dialog (DialogCompanions::mnuOptions_Click must create it)"
dlg=$(dialog_window)
waitfor 10 has_indicator || fail "the indicator did not come up beside the dialog"
# The town chooser opens beside it on a first start; on this small screen it would cover part of
# the dialog, so it is closed first (its own test is x11_town_test.sh).
town_chooser() { xdotool search --onlyvisible --name '^Город$' 2>/dev/null | head -n1; }
has_town_chooser() { [ -n "$(town_chooser)" ]; }
no_town_chooser() { ! has_town_chooser; }
waitfor 10 has_town_chooser || fail "the first start did not open the town chooser"
xdotool windowactivate --sync "$(town_chooser)" key Escape
waitfor 5 no_town_chooser || fail "Esc did not close the town chooser"
sleep 0.5
read -r _ _ w h <<<"$(geometry "$dlg")"
extents=$(xprop -id "$dlg" _NET_FRAME_EXTENTS | sed 's/.*= //')
IFS=', ' read -r left right top bottom <<<"$extents"
echo "dialog ${w}x${h}, frame extents $extents"
[ "$top" = "$left" ] && [ "$bottom" = "$left" ] || fail "the dialog has a title bar (frame extents $extents)"
hints=$(xprop -id "$dlg" WM_NORMAL_HINTS)
grep -q "minimum size: $w by $h" <<<"$hints" && grep -q "maximum size: $w by $h" <<<"$hints" || fail "the dialog's size is not fixed: $hints"
shot options-default

# A drag on the background (between the two big frames) moves it with the pointer.
read -r px py <<<"$(at_twips 2500 1050)"
read -r ox oy _ _ <<<"$(geometry "$dlg")"
xdotool mousemove "$px" "$py" mousedown 1
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove $((px + step * 6)) $((py + step * 4)); sleep 0.05; done
xdotool mouseup 1
moved() { read -r nx ny _ _ <<<"$(geometry "$dlg")"; [ "$nx" -ge $((ox + 30)) ] && [ "$ny" -ge $((oy + 20)) ]; }
waitfor 5 moved || fail "dragging the background did not move the dialog: $(geometry "$dlg"), was $ox $oy"
read -r nx ny _ _ <<<"$(geometry "$dlg")"
echo "drag: dialog moved from $ox,$oy to $nx,$ny"

# Enter, whatever holds the focus, confirms and stores.
xdotool windowactivate --sync "$dlg" 2>/dev/null || xdotool windowfocus "$dlg"
xdotool key Return
waitfor 5 no_dialog || fail "Enter did not close the dialog"
for kv in Prov=0 VerChk=1 ARun=0 TrCif=1 TrBold=0 TrTrans=1 TrCol0=255 TrCol1=16776960 TrCol2=16711680 TrCol3=65535; do
  grep -qx "$kv" "$ini" || fail "Enter did not store $kv: $(tr '\n' ' ' <"$ini")"
done
grep -q '^PosOpt=' "$ini" || fail "Enter did not store the dialog's position"
echo "stored: $(grep -E '^(Prov|VerChk|ARun|Tr[A-Za-z]+[0-9]?|PosOpt)=' "$ini" | tr '\n' ' ')"
stop

# A digital look in colours of the user's choice: green digits on navy at or above zero.
sed -i 's/^TrCol0=.*/TrCol0=65280/; s/^TrCol1=.*/TrCol1=8388608/; s/^TrCol2=.*/TrCol2=33023/; s/^TrCol3=.*/TrCol3=4210752/; s/^TrBold=.*/TrBold=1/; s/^TrTrans=.*/TrTrans=0/' "$ini"

# Second start: the provider is stored, so no dialog.
run
waitfor 10 has_indicator || fail "the second start did not bring the indicator up"
sleep 2
has_dialog && fail "the second start opened the options dialog"
echo "second start: no dialog"

# "Настройки" from the window's menu (fourth from the end, above "Город...") opens it on the stored colours.
id=$(indicator_window)
read -r wx wy _ _ <<<"$(geometry "$id")"
xdotool mousemove $((wx + 20)) $((wy + 20)) click 3
sleep 0.8 # the menu grabs the keyboard just after it appears
xdotool key Up Up Up Up Return
waitfor 5 has_dialog || fail "\"Настройки\" did not open the dialog"
dlg=$(dialog_window)
sleep 0.5
shot options-custom
read -r sx sy <<<"$(at_twips 2002 2032)"
swatch=$(convert "$tmp/options-custom.png" -crop "1x1+$sx+$sy" +repage -format '%[hex:p{0,0}]' info:-)
[ "${swatch:0:6}" = "00FF00" ] || fail "the digits' swatch shows #$swatch, not the stored green"
xdotool windowactivate --sync "$dlg" 2>/dev/null || xdotool windowfocus "$dlg"
xdotool key Escape
waitfor 5 no_dialog || fail "Esc did not close the dialog"
grep -qx TrCol0=65280 "$ini" || fail "Esc changed the stored colour"
echo "menu: the dialog showed the stored colours; Esc closed it"
stop
echo "PASS"

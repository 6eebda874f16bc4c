#!/usr/bin/env bash
# End to end under openbox on Xvfb: the indicator is a desktop gadget. Its window manager state
# says sticky, skip taskbar, skip pager and above, it carries the program icon at 16 and 32
# pixels, and it stays viewable when the workspace changes; with Sticky=0 it stays behind on
# its own workspace.
#   x11_gadget_test.sh PROGRAM_FOLDER
set -uo pipefail
program="${1:?usage: x11_gadget_test.sh PROGRAM_FOLDER}"
for tool in Xvfb openbox xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for f in openbox indicator; do [ -f "$tmp/$f.log" ] && sed "s/^/  $f: /" "$tmp/$f.log"; done
  exit 1
}
waitfor() { # seconds, command...
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

Xvfb -displayfd 3 -screen 0 640x400x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=("$!")
has_display() { [ -s "$tmp/display" ]; }
waitfor 10 has_display || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$tmp/display")"
waitfor 10 xwininfo -root || fail "Xvfb does not answer"
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=("$!")
waitfor 20 sh -c "xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q '= [2-9]'" || fail "openbox did not start with several workspaces"

run_indicator() { # extra settings lines
  rm -rf "$tmp/config"
  mkdir -p "$tmp/config/ThermoBadge"
  printf 'A\n1\n127.0.0.1\nB\n1\n127.0.0.1\n' >"$tmp/config/ThermoBadge/providers.txt"
  printf '[Options]\nProv=0\n%s' "$1" >"$tmp/config/ThermoBadge/ThermoBadge.ini"
  XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=xcb THERMOBADGE_LOOPBACK_ONLY=1 "$program/ThermoBadge" >"$tmp/indicator.log" 2>&1 &
  indicator=$!
  pids+=("$indicator")
  window() { xwininfo -root -tree | awk '/"ThermoBadge": \("ThermoBadge"/ {print $1; exit}'; }
  has_window() { [ -n "$(window)" ]; }
  waitfor 10 has_window || fail "the indicator window did not appear"
  id=$(window)
  waitfor 5 sh -c "xwininfo -id $id | grep -q IsViewable" || fail "the window is not shown"
}
viewable() { xwininfo -id "$id" | grep -q 'Map State: IsViewable'; }
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

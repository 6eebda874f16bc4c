# Shared by the end-to-end scripts: a private X server, a window manager, waiting, failing with
# the logs, and the indicator's window. Source it after setting `needs` (the tools required).
#   needs="Xvfb openbox xdotool"; . "$(dirname "$0")/x11_common.sh"
for tool in $needs; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
# The C locale unless a script says otherwise (LANG=... start_indicator): the program then
# speaks Russian, as written, whatever the desktop that runs the tests speaks.
unset LC_ALL LC_MESSAGES LANGUAGE
export LANG=C.UTF-8
pids=()
# A runtime folder of its own: the command channel and the one-instance lock live there, so a
# test never meets an indicator the user (or another test) runs.
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
shots="${shots:-}"
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  if [ -n "$shots" ] && import -window root "$tmp/failure.png" 2>/dev/null; then cp "$tmp/failure.png" "$shots/"; fi
  for f in openbox indicator; do [ -f "$tmp/$f.log" ] && sed "s/^/  $f: /" "$tmp/$f.log"; done
  exit 1
}
# A screenshot of the whole screen as $tmp/NAME.png, copied to $shots when one was given.
[ -z "$shots" ] || mkdir -p "$shots"
shot() { import -window root "$tmp/$1.png" && { [ -z "$shots" ] || cp "$tmp/$1.png" "$shots/$1.png"; }; }
waitfor() { # seconds, command...
  local limit=$(($1 * 10)); shift
  for _ in $(seq "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A private X server of the given size (Xvfb picks a free display and writes it to fd 3).
# -noreset: by default Xvfb resets when its last client leaves, and a client connecting during
# that reset (a window manager right after the readiness probe) is refused. A server that lost
# a race for its display number exits at once; then another is started.
start_x() { # WIDTHxHEIGHT
  local attempt xvfb
  has_display() { [ -s "$tmp/display" ]; }
  for attempt in 1 2 3; do
    rm -f "$tmp/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
    xvfb=$!
    pids+=("$xvfb")
    waitfor 10 has_display || continue
    export DISPLAY=":$(head -n1 "$tmp/display")"
    waitfor 10 xwininfo -root || continue
    sleep 0.2
    kill -0 "$xvfb" 2>/dev/null && xwininfo -root >/dev/null 2>&1 && return 0
  done
  fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
}

# Puts KEYSYMs on keycodes the keyboard leaves empty, so xdotool types them without remapping a
# key for each one: a remapped key is put back at once, and a program that reads the keyboard map
# only after the key event (as Qt does under load) sees the key as nothing, and loses the letter.
map_keysyms() { # KEYSYM...
  local free=($(xmodmap -pke | awk 'NF == 3 && $2 > 200 {print $2}'))
  [ "${#free[@]}" -ge "$#" ] || free=($(xmodmap -pke | awk 'NF == 3 && $2 > 8 {print $2}'))
  [ "${#free[@]}" -ge "$#" ] || fail "no room in the keyboard map for $*"
  local i=0 sym
  for sym in "$@"; do xmodmap -e "keycode ${free[$i]} = $sym" || fail "xmodmap: $sym"; i=$((i + 1)); done
}

start_openbox() {
  openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=("$!")
  waitfor 20 sh -c "xprop -root _NET_NUMBER_OF_DESKTOPS | grep -q '= [1-9]'" || fail "openbox did not start"
}

# Settings for a run: providers on loopback, Prov chosen, and the given extra [Options] lines.
write_settings() { # extra lines
  rm -rf "$tmp/config"
  mkdir -p "$tmp/config/ThermoBadge"
  printf 'A\n1\n127.0.0.1\nB\n1\n127.0.0.1\n' >"$tmp/config/ThermoBadge/providers.txt"
  printf '[Options]\nProv=0\n%s' "${1:-}" >"$tmp/config/ThermoBadge/ThermoBadge.ini"
}

# Starts the indicator of PROGRAM_FOLDER ($program) and waits for its window ($id).
start_indicator() {
  XDG_CONFIG_HOME="$tmp/config" QT_QPA_PLATFORM=xcb THERMOBADGE_LOOPBACK_ONLY=1 "$program/ThermoBadge" >"$tmp/indicator.log" 2>&1 &
  indicator=$!
  pids+=("$indicator")
  window() { xwininfo -root -tree 2>/dev/null | awk '/"ThermoBadge": \("ThermoBadge"/ {print $1; exit}'; }
  has_window() { [ -n "$(window)" ]; }
  waitfor 10 has_window || fail "the indicator window did not appear"
  id=$(window)
  waitfor 5 viewable || fail "the window is not shown"
}
viewable() { xwininfo -id "$id" | grep -q 'Map State: IsViewable'; }
origin() { xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
# A menu is an override-redirect window of the program with no title, taller than the tray
# icon (which is one too).
popup_open() {
  for w in $(xdotool search --onlyvisible --class ThermoBadge 2>/dev/null); do
    xprop -id "$w" WM_NAME 2>/dev/null | grep -Eq '= ("")?$' || continue
    xwininfo -id "$w" | awk '/Override Redirect State: yes/ {o=1} /Height:/ {h=$2} END {exit !(o && h > 64)}' && return 0
  done
  return 1
}

#!/usr/bin/env bash
# What the indicator costs at rest: runs it on a virtual display (Xvfb, with a window manager and
# a tray host, as on a desktop) against the temperature server stand-in on loopback, waits for the
# first reading and for the indicator to come to rest, then measures over a window of N seconds:
#   - CPU time (user + system, all threads), as a share of one core;
#   - wakeups a second: voluntary context switches of all threads (each is one return to sleep,
#     so one wakeup), also per thread, and at rest: over the seconds in which no reading came
#     (the indicator asks every 20 s; a reading is drawn, shown in the tray and stored);
#   - resident memory (VmRSS) at the end and its least, median and most over the window (one
#     sample a second), its high-water mark (VmHWM), the proportional share
#     (Pss: pages shared with other processes counted in part) and the private anonymous part
#     (heap, stacks, images: what the program itself allocated).
# Usage:
#   scripts/idle-cost.sh [--seconds N] [--build DIR] [--bare] [--smaps FILE]
#     --seconds N   length of the measured window (default 60; the whole run takes about N + 25 s)
#     --build DIR   the build folder to use (default $BUILD_DIR or build); its indicator and server
#                   are built if needed
#     --bare        no window manager and no tray host (the tray then polls for one)
#     --smaps FILE  also writes where the resident memory is at the end: kilobytes per library,
#                   heap, stacks and the rest, largest first
# Everything it starts (Xvfb, openbox, trayer, server, indicator) ends with the script, whatever
# happens. Datagrams go to loopback only; the indicator has its own settings and runtime folders.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
build="${BUILD_DIR:-build}"
bare=0
smaps_out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="${2:?--seconds needs a number}"; shift 2 ;;
    --build) build="${2:?--build needs a folder}"; shift 2 ;;
    --bare) bare=1; shift ;;
    --smaps) smaps_out="${2:?--smaps needs a file}"; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "idle-cost.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$seconds" in ''|*[!0-9]*|0) echo "idle-cost.sh: --seconds takes a whole number above 0" >&2; exit 2 ;; esac

./scripts/install-deps.sh
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ThermoBadge thermobadge-server program_assets >/dev/null
program="$PWD/$build/ThermoBadge"

export THERMOBADGE_LOOPBACK_ONLY=1
tmp=$(mktemp -d)
pids=()
cleanup() {
  trap - EXIT INT TERM
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
waitfor() { # tenths of a second, command...
  local n=$1; shift
  for _ in $(seq "$n"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# The server on a loopback address of our own whose port 25002 is free (another run, ./run.sh
# or a test may hold 127.0.0.1).
address=""
for candidate in 127.42.0.1 127.42.0.2 127.42.0.3 127.42.0.4; do
  : >"$tmp/server.log"
  "$program/thermobadge-server" --bind "$candidate" --port 25002 >"$tmp/server.log" 2>&1 &
  pid=$!
  if waitfor 50 grep -q '^listening on' "$tmp/server.log"; then pids+=("$pid"); address=$candidate; break; fi
  kill "$pid" 2>/dev/null || true
done
[ -n "$address" ] || { echo "idle-cost.sh: no free loopback address for the server" >&2; exit 1; }

# Xvfb picks a free display and writes its number to descriptor 3.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
pids+=("$!")
waitfor 100 test -s "$tmp/display" || { echo "idle-cost.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
waitfor 100 xdpyinfo || { echo "idle-cost.sh: the virtual display does not answer" >&2; exit 1; }
if [ "$bare" = 0 ]; then
  openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
  pids+=("$!")
  trayer --edge bottom --align right --widthtype pixel --width 96 --heighttype pixel --height 32 \
    --expand false --SetDockType true >"$tmp/trayer.log" 2>&1 &
  pids+=("$!")
  waitfor 50 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window" || true
fi

mkdir -p "$tmp/config/ThermoBadge" "$tmp/runtime"
chmod 700 "$tmp/runtime"
printf 'Local\n1\n%s\nLocal\n1\n%s\n' "$address" "$address" >"$tmp/config/ThermoBadge/providers.txt"
printf '[Options]\nProv=0\n' >"$tmp/config/ThermoBadge/ThermoBadge.ini"
XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=xcb \
  QT_LOGGING_RULES="thermobadge.reading.info=true;thermobadge.memory.info=true" "$program/ThermoBadge" >"$tmp/indicator.log" 2>&1 &
indicator=$!
pids+=("$indicator")
waitfor 200 grep -q 'reading' "$tmp/indicator.log" ||
  { echo "idle-cost.sh: no reading within 20 s" >&2; cat "$tmp/indicator.log" >&2; exit 1; }
# Start-up work (fonts, first drawings, tray placement) settles, and the indicator, at rest,
# gives back the pages start-up alone needed (15 s after the start).
waitfor 300 grep -q 'at rest: gave back' "$tmp/indicator.log" ||
  echo "idle-cost.sh: the indicator gave no pages back within 30 s" >&2
sleep 3

cpu_ticks() { sed 's/^.*) //' "/proc/$indicator/stat" | awk '{print $12 + $13}'; }
thread_switches() { # one line per thread: id name switches
  for t in /proc/"$indicator"/task/*; do
    printf '%s %s %s\n' "${t##*/}" "$(tr ' ' '_' <"$t/comm")" "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status")"
  done 2>/dev/null
}
status_kb() { awk -v k="$1:" '$1 == k {print $2}' "/proc/$indicator/status"; }

total_switches() { thread_switches | awk '{n += $3} END {print n + 0}'; }
readings() { grep -c 'reading' "$tmp/indicator.log" || true; }

hz=$(getconf CLK_TCK)
ticks0=$(cpu_ticks)
thread_switches >"$tmp/switches0"
t0=$(date +%s.%N)
# One sample a second (switches of all threads, readings so far), for the rate at rest: the
# seconds in which no reading came, nor in the second before (its drawing and storing may
# spill over).
: >"$tmp/samples"
readings0=$(readings)
for _ in $(seq "$seconds"); do
  sleep 1
  echo "$(total_switches) $(readings) $(status_kb VmRSS)" >>"$tmp/samples"
done
kill -0 "$indicator" 2>/dev/null || { echo "idle-cost.sh: the indicator ended during the run" >&2; cat "$tmp/indicator.log" >&2; exit 1; }
ticks1=$(cpu_ticks)
thread_switches >"$tmp/switches1"
t1=$(date +%s.%N)
rss=$(status_kb VmRSS)
hwm=$(status_kb VmHWM)
pss=$(awk '$1 == "Pss:" {print $2}' "/proc/$indicator/smaps_rollup")
anon=$(awk '$1 == "Anonymous:" {print $2}' "/proc/$indicator/smaps_rollup")
if [ -n "$smaps_out" ]; then
  # A mapping's header line names its file (or [heap], [stack]); the Rss lines after it count.
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / {name = (NF >= 6 ? $6 : "[anonymous]"); sub(/.*\//, "", name); next}
    $1 == "Rss:" {kb[name] += $2}
    END {for (n in kb) if (kb[n] > 0) printf "%8d kB  %s\n", kb[n], n}' "/proc/$indicator/smaps" |
    sort -rn >"$smaps_out"
fi

elapsed=$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')
echo "idle cost over $(printf '%.1f' "$elapsed") s (indicator against $address:25002, display $DISPLAY$([ "$bare" = 1 ] && echo ', bare'))"
awk -v t0="$ticks0" -v t1="$ticks1" -v hz="$hz" -v s="$elapsed" \
  'BEGIN {printf "  CPU time: %.2f s, %.3f %% of one core\n", (t1 - t0) / hz, 100 * (t1 - t0) / hz / s}'
awk -v s="$elapsed" '
  NR == FNR {before[$1] = $3; next}
  {n = $3 - ($1 in before ? before[$1] : 0); total += n; line[$2] += n}
  END {
    printf "  wakeups: %.2f a second (%d voluntary context switches)\n", total / s, total
    for (name in line) if (line[name] > 0) printf "    %-16s %.2f/s\n", name, line[name] / s
  }' "$tmp/switches0" "$tmp/switches1"
awk -v s0="$(awk '{n += $3} END {print n + 0}' "$tmp/switches0")" -v r0="$readings0" '
  BEGIN {ps = s0; pr = r0; came = 0}
  {
    cameNow = ($2 != pr)
    if (!cameNow && !came) {n += $1 - ps; quiet++} else busy++
    came = cameNow; ps = $1; pr = $2
  }
  END {
    if (quiet > 0) printf "  at rest: %.2f wakeups a second over %d quiet seconds (%d seconds with or just after a reading left out)\n", n / quiet, quiet, busy
  }' "$tmp/samples"
awk -v r="$rss" -v h="$hwm" -v p="$pss" -v a="$anon" 'BEGIN {
  printf "  resident memory: %.1f MB (high-water mark %.1f MB); proportional share %.1f MB; anonymous %.1f MB\n",
    r / 1024, h / 1024, p / 1024, a / 1024}'
# Resident memory once a second over the window: it moves a little with each reading.
sort -n -k3 "$tmp/samples" | awk '{v[NR] = $3} END {
  if (NR > 0) printf "  resident memory over the window: %.2f MB least, %.2f MB median, %.2f MB most\n",
    v[1] / 1024, v[int((NR + 1) / 2)] / 1024, v[NR] / 1024}'

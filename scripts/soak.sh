#!/usr/bin/env bash
# Soak run of the indicator under faults; not part of the test suite (it takes half an hour).
#
# The real indicator runs on a virtual display (Xvfb; --offscreen: Qt's offscreen platform)
# against the real temperature server stand-in on a loopback address of its own, while:
#   - the server is killed (SIGTERM or SIGKILL, in turns) and restarted every 20 to 60 s, each
#     time answering late by a random 0 to 1.5 s (--delay);
#   - a junk sender (python3) sends 20 datagrams a second to the indicator's port from strangers:
#     random bytes, and well-formed temperature and version replies from hosts and ports that
#     were never asked (a reading of 77.7 or a version notice would mean one was taken);
#   - the indicator's wall clock is stepped an hour forward and back every 2 to 5 minutes
#     (libfaketime from the faketime package; its monotonic clock, which drives its timers,
#     stays true); --no-clock-steps leaves the clock alone.
# The provider group holds the server and a dead host, so every poll while the server is away
# also fails over. Every 10 s the indicator's resident memory, open descriptors and threads
# are written to a CSV file; at the end a summary says how memory and descriptors moved, how
# soon readings came after each restart (the goal: within one poll period, the answer's delay
# and a failover), and which warnings the indicator logged. Everything it starts ends with it.
# Datagrams go to loopback addresses only (THERMOBADGE_LOOPBACK_ONLY=1).
#
#   scripts/soak.sh [--minutes N] [--out DIR] [--build DIR] [--offscreen] [--no-clock-steps]
#     --minutes N   how long (default 30)
#     --out DIR     where the CSV, the logs and the summary go (default BUILD/soak)
#     --build DIR   the build folder (default $BUILD_DIR or build); its indicator and server are
#                   built if needed
# Exits non-zero when the indicator ended, a stranger's datagram was taken, readings did not
# resume in time after a restart, or descriptors grew.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=30
build="${BUILD_DIR:-build}"
out=""
offscreen=0
steps=1
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes="${2:?--minutes needs a number}"; shift 2 ;;
    --out) out="${2:?--out needs a folder}"; shift 2 ;;
    --build) build="${2:?--build needs a folder}"; shift 2 ;;
    --offscreen) offscreen=1; shift ;;
    --no-clock-steps) steps=0; shift ;;
    -h|--help) sed -n '2,28p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$minutes" in ''|*[!0-9]*|0) echo "soak.sh: --minutes takes a whole number above 0" >&2; exit 2 ;; esac
[ "$minutes" -le 24000 ] || { echo "soak.sh: --minutes is at most 24000" >&2; exit 2; }
out="${out:-$build/soak}"

./scripts/install-deps.sh
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ThermoBadge thermobadge-server program_assets >/dev/null
program="$PWD/$build/ThermoBadge"
faketime_lib=$(ls /usr/lib/*/faketime/libfaketimeMT.so.1 2>/dev/null | head -n1 || true)
[ "$steps" = 0 ] || [ -n "$faketime_lib" ] || { echo "soak.sh: libfaketime is missing (package faketime)" >&2; exit 1; }

export THERMOBADGE_LOOPBACK_ONLY=1
rm -rf "$out"
mkdir -p "$out/config/ThermoBadge" "$out/runtime"
chmod 700 "$out/runtime"
out=$(cd "$out" && pwd)
pids=()
server=""
cleanup() {
  trap - EXIT INT TERM
  [ -n "$server" ] && kill "$server" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start=$(date +%s)
deadline=$((start + minutes * 60))
now() { echo $(($(date +%s) - start)); }
waitfor() { # tenths of a second, command...
  local n=$1; shift
  for _ in $(seq "$n"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A loopback address of our own whose port 25002 is free, and a dead host beside it.
address=""
for candidate in 127.43.0.1 127.43.1.1 127.43.2.1 127.43.3.1; do
  if ! ss -uln "src $candidate:25002" 2>/dev/null | grep -q 25002; then address=$candidate; break; fi
done
[ -n "$address" ] || { echo "soak.sh: no free loopback address for the server" >&2; exit 1; }
dead="${address%.1}.9"
: >"$out/events.log"
: >"$out/server.log"
start_server() {
  local delay=$((RANDOM % 1501)) before
  before=$(grep -c '^listening on' "$out/server.log" || true)
  "$program/thermobadge-server" --bind "$address" --port 25002 --delay "$delay" >>"$out/server.log" 2>&1 &
  server=$!
  if waitfor 100 sh -c "[ \$(grep -c '^listening on' '$out/server.log') -gt $before ]"; then
    echo "$(now) start $delay" >>"$out/events.log"
  else
    echo "$(now) nostart" >>"$out/events.log"
  fi
}
start_server

if [ "$offscreen" = 1 ]; then
  export QT_QPA_PLATFORM=offscreen
else
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$out/display" >"$out/xvfb.log" 2>&1 &
  pids+=("$!")
  waitfor 100 test -s "$out/display" || { echo "soak.sh: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$out/display")"
  waitfor 100 xdpyinfo || { echo "soak.sh: the virtual display does not answer" >&2; exit 1; }
  export QT_QPA_PLATFORM=xcb
fi

printf 'Soak\n2\n%s\n%s\nSoak\n1\n%s\n' "$address" "$dead" "$address" >"$out/config/ThermoBadge/providers.txt"
printf '[Options]\nProv=0\n' >"$out/config/ThermoBadge/ThermoBadge.ini"
echo "+0" >"$out/faketime.rc"
preload=()
[ "$steps" = 1 ] && preload=(env LD_PRELOAD="$faketime_lib" FAKETIME_TIMESTAMP_FILE="$out/faketime.rc"
  FAKETIME_CACHE_DURATION=1 FAKETIME_DONT_FAKE_MONOTONIC=1)
# Each log line of the indicator with the second of the run it came in.
"${preload[@]}" env XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" \
  QT_LOGGING_RULES="thermobadge.reading.info=true" "$program/ThermoBadge" \
  > >(while IFS= read -r line; do echo "$(($(date +%s) - start)) $line"; done >"$out/indicator.log") 2>&1 &
indicator=$!
pids+=("$indicator")
waitfor 300 grep -q 'reading' "$out/indicator.log" || { echo "soak.sh: no first reading within 30 s" >&2; cat "$out/indicator.log" >&2; exit 1; }
echo "soak: $minutes min, indicator $indicator ($QT_QPA_PLATFORM), server $address:25002, out $out"

# The junk sender: strangers' datagrams to every UDP port the indicator holds, until the end.
python3 - "$indicator" "$deadline" "$address" >"$out/junk.log" 2>&1 <<'EOF' &
import os, random, socket, sys, time
pid, deadline, server = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
def ports():
    inodes = set()
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            target = os.readlink(f"/proc/{pid}/fd/{fd}")
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    found = set()
    for table in ("/proc/net/udp", "/proc/net/udp6"):
        with open(table) as f:
            for line in f.readlines()[1:]:
                parts = line.split()
                if parts[9] in inodes:
                    found.add(int(parts[1].split(":")[1], 16))
    return sorted(found)
strangers = []
for source in ("127.44.0.1", server):  # a host never asked, and the server's host on another port
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((source, 0))
    strangers.append(s)
sent = 0
while time.time() < deadline:
    try:
        targets = ports()
    except OSError:
        break
    for _ in range(20):
        kind = random.randrange(4)
        if kind == 0:
            data = os.urandom(random.randrange(0, 600))
        elif kind == 1:
            data = time.strftime("%d.%m.%Y %H:%M 77.7").encode()
        elif kind == 2:
            data = b"9.9"
        else:
            data = bytes(random.choice(b"0123456789.,:- +") for _ in range(random.randrange(1, 40)))
        for port in targets:
            random.choice(strangers).sendto(data, ("127.0.0.1", port))
            sent += 1
    time.sleep(1)
print(f"sent {sent} datagrams to ports {targets}")
EOF
pids+=("$!")

echo "seconds,rss_kb,fds,threads,readings,restarts" >"$out/samples.csv"
sample() {
  local rss fds threads readings restarts
  rss=$(awk '$1 == "VmRSS:" {print $2}' "/proc/$indicator/status")
  fds=$(ls "/proc/$indicator/fd" | wc -l)
  threads=$(ls "/proc/$indicator/task" | wc -l)
  readings=$(grep -c 'reading' "$out/indicator.log" || true)
  restarts=$(grep -c ' start ' "$out/events.log" || true)
  echo "$(now),$rss,$fds,$threads,$readings,$restarts" >>"$out/samples.csv"
}

next_sample=0
next_kill=$(($(now) + 20 + RANDOM % 41))
next_step=$(($(now) + 120 + RANDOM % 181))
offsets=("+3600" "+0" "-3600" "+0")
step_index=0
kills=0
while [ "$(date +%s)" -lt "$deadline" ]; do
  kill -0 "$indicator" 2>/dev/null || { echo "$(now) indicator-ended" >>"$out/events.log"; break; }
  t=$(now)
  if [ "$t" -ge "$next_sample" ]; then sample; next_sample=$((t + 10)); fi
  if [ "$t" -ge "$next_kill" ]; then
    signal=TERM
    [ $((kills % 2)) = 1 ] && signal=KILL
    kill -"$signal" "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    kills=$((kills + 1))
    echo "$(now) stop $signal" >>"$out/events.log"
    sleep $((1 + RANDOM % 5))
    start_server
    next_kill=$(($(now) + 20 + RANDOM % 41))
  fi
  if [ "$steps" = 1 ] && [ "$t" -ge "$next_step" ]; then
    echo "${offsets[$step_index]}" >"$out/faketime.rc"
    echo "$(now) clock ${offsets[$step_index]}" >>"$out/events.log"
    step_index=$(((step_index + 1) % ${#offsets[@]}))
    next_step=$((t + 120 + RANDOM % 181))
  fi
  sleep 1
done
alive=1
kill -0 "$indicator" 2>/dev/null && sample || alive=0

# The summary. A restart is in time when a reading came within the poll period (20 s), the
# failover to the dead host (2 s), the answer's delay and a tick of the poll clock (1 s), while
# the server stayed up that long.
python3 - "$out" "$alive" <<'EOF' | tee "$out/summary.txt"
import csv, re, sys
out, alive = sys.argv[1], sys.argv[2] == "1"
rows = list(csv.DictReader(open(f"{out}/samples.csv")))
events = [line.split() for line in open(f"{out}/events.log")]
log = [line.rstrip("\n") for line in open(f"{out}/indicator.log")]
readings = [int(l.split()[0]) for l in log if "thermobadge.reading" in l]
taken = [l for l in log if "thermobadge.reading" in l and "77.7" in l]
others = [l for l in log if "thermobadge.reading" not in l]
starts = [(int(e[0]), int(e[2])) for e in events if e[1] == "start"]
stops = [int(e[0]) for e in events if e[1] == "stop"]
end = int(rows[-1]["seconds"]) if rows else 0
late, waits = [], []
for at, delay in starts[1:]:
    limit = 20 + 2 + 1 + (delay + 999) // 1000
    later_stop = min([s for s in stops if s > at], default=end)  # or the end of the run
    first = min([r for r in readings if r >= at], default=None)
    if later_stop - at <= limit:
        continue  # stopped again (or the run ended) before a reading was due
    if first is None or first - at > limit:
        late.append((at, first, limit))
    else:
        waits.append(first - at)
def col(name):
    return [int(r[name]) for r in rows]
rss, fds, secs = col("rss_kb"), col("fds"), col("seconds")
settled = [i for i, s in enumerate(secs) if s >= 120] or list(range(len(secs)))
def slope(xs, ys):
    n = len(xs)
    if n < 2:
        return 0.0
    mx, my = sum(xs) / n, sum(ys) / n
    d = sum((x - mx) ** 2 for x in xs)
    return sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / d if d else 0.0
print(f"soak over {secs[-1] if secs else 0} s: {len(starts) - 1} server restarts, {len(readings)} readings, "
      f"{sum(1 for e in events if e[1] == 'clock')} clock steps")
print(f"  resident memory: first {rss[0] / 1024:.1f} MB, after 2 min {rss[settled[0]] / 1024:.1f} MB, "
      f"last {rss[-1] / 1024:.1f} MB, min {min(rss) / 1024:.1f}, max {max(rss) / 1024:.1f} MB; "
      f"trend after 2 min {slope([secs[i] for i in settled], [rss[i] for i in settled]) * 3600 / 1024:+.2f} MB an hour")
print(f"  open descriptors: first {fds[0]}, last {fds[-1]}, min {min(fds)}, max {max(fds)}; "
      f"threads {rows[0]['threads']} to {rows[-1]['threads']}")
if waits:
    print(f"  readings after a restart: within {min(waits)} to {max(waits)} s (mean {sum(waits) / len(waits):.1f} s) "
          f"for {len(waits)} restarts; late: {len(late)}")
for at, first, limit in late:
    print(f"    LATE: server up at {at} s, first reading {'never' if first is None else f'at {first} s'} (limit {limit} s)")
print(f"  strangers' readings taken: {len(taken)}")
print(f"  other log lines of the indicator: {len(others)}")
for line in sorted(set(re.sub(r'^\d+ ', '', l) for l in others))[:15]:
    print(f"    {line}")
ok = alive and not late and not taken and fds[-1] <= fds[settled[0]] + 2
print("  verdict:", "passed" if ok else "FAILED" + ("" if alive else " (the indicator ended)"))
sys.exit(0 if ok else 1)
EOF

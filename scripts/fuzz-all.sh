#!/usr/bin/env bash
# A long fuzzing campaign over every libFuzzer target (fuzz/fuzz_*.cpp), one after another: each
# starts from its committed seeds (fuzz/seeds/NAME) and the corpus grown so far
# (fuzz-corpus/NAME, which keeps what it finds), built as scripts/fuzz.sh builds it (clang 14,
# AddressSanitizer and UndefinedBehaviorSanitizer). At the end a table gives each target's
# executions, edges covered (cov), features (ft), corpus size and outcome.
#   scripts/fuzz-all.sh SECONDS [TARGET[:RUNS]...]
#     SECONDS   the longest time for each target
#     TARGET    only these targets (default: all); RUNS ends that target after so many inputs
#   e.g. scripts/fuzz-all.sh 3600 reply:10000000 command:10000000 ini:2000000
# FUZZ_BUILD_DIR picks the build folder (default build-fuzz). A crash or a leak ends that target
# and leaves the input as fuzz-corpus/crashes/NAME-crash-...; the script then exits non-zero. The logs
# stay in FUZZ_BUILD_DIR/fuzz-logs/NAME.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz-all.sh SECONDS [TARGET[:RUNS]...]}"
shift
case "$seconds" in ''|*[!0-9]*|0) echo "fuzz-all.sh: SECONDS is a whole number above 0" >&2; exit 2 ;; esac
build="${FUZZ_BUILD_DIR:-build-fuzz}"

all=()
for f in fuzz/fuzz_*.cpp; do all+=("$(basename "$f" .cpp | sed 's/^fuzz_//')"); done
wanted=("$@")
[ ${#wanted[@]} -gt 0 ] || wanted=("${all[@]}")
for w in "${wanted[@]}"; do
  [ -f "fuzz/fuzz_${w%%:*}.cpp" ] || { echo "fuzz-all.sh: no target ${w%%:*} (there are: ${all[*]})" >&2; exit 2; }
done

./scripts/install-deps.sh
export THERMOBADGE_LOOPBACK_ONLY=1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DTHERMOBADGE_FUZZ=ON -DTHERMOBADGE_TESTS=OFF -DTHERMOBADGE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
targets=()
for w in "${wanted[@]}"; do targets+=("fuzz_${w%%:*}"); done
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/fuzz-logs" fuzz-corpus/crashes
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
failed=0
for w in "${wanted[@]}"; do
  name=${w%%:*}
  runs=()
  [ "$w" != "$name" ] && runs=(-runs="${w#*:}")
  mkdir -p "fuzz-corpus/$name"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  log="$build/fuzz-logs/$name.log"
  echo "fuzz-all: $name for at most $seconds s${runs:+ or ${w#*:} inputs} (log: $log)"
  outcome=ok
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" "${runs[@]}" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="fuzz-corpus/crashes/$name-" "fuzz-corpus/$name" "${seeds[@]}" >"$log" 2>&1 || { outcome=FAILED; failed=1; }
  execs=$(awk '/^stat::number_of_executed_units/ {print $2}' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n1 | awk '{print $2}')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n1 | awk '{print $2}')
  secs=$(awk '/^Done [0-9]+ runs in/ {print $5}' "$log")
  printf '%-14s %12s %8s %8s %8s %8s  %s\n' "$name" "${execs:-?}" "${secs:-?}" "${cov:-?}" "${ft:-?}" \
    "$(find "fuzz-corpus/$name" -type f | wc -l)" "$outcome" >>"$summary"
done

printf '\n%-14s %12s %8s %8s %8s %8s  %s\n' target executions seconds cov ft corpus outcome
cat "$summary"
exit "$failed"

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang 14 (AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs one of them.
#   scripts/fuzz.sh TARGET [SECONDS]     TARGET: reply, registry_file, providers, ...
# The corpus grows in fuzz-corpus/TARGET; a crash leaves its input in the current folder.
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?usage: scripts/fuzz.sh TARGET [SECONDS]}"
seconds="${2:-60}"
./scripts/install-deps.sh
export THERMOBADGE_LOOPBACK_ONLY=1
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DTHERMOBADGE_FUZZ=ON -DTHERMOBADGE_TESTS=OFF -DTHERMOBADGE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz --target "fuzz_${target}"
mkdir -p "fuzz-corpus/${target}"
seeds=()
[ -d "fuzz/seeds/${target}" ] && seeds=("fuzz/seeds/${target}")
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "build-fuzz/fuzz/fuzz_${target}" -max_total_time="${seconds}" -max_len=4096 "fuzz-corpus/${target}" "${seeds[@]}"

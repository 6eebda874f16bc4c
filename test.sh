#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest. Exits non-zero on any failure.
#   ./test.sh               the normal build and the whole suite
#   BUILD_DIR=... ./test.sh another build folder
#   SANITIZE=1 ./test.sh    the same under AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

export THERMOBADGE_LOOPBACK_ONLY=1
export QT_QPA_PLATFORM=offscreen
# Tests never read or write the user's real settings.
export XDG_CONFIG_HOME="${XDG_CONFIG_HOME_FOR_TESTS:-$(mktemp -d)}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

build_dir="${BUILD_DIR:-build}"
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${SANITIZE:-0}" = 1 ]; then
  build_dir="${BUILD_DIR:-build-sanitize}"
  cmake_args+=(-DTHERMOBADGE_SANITIZE=ON)
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
[ "${CI:-}" = true ] && cmake_args+=(-DTHERMOBADGE_WERROR=ON)

cmake -S . -B "$build_dir" "${cmake_args[@]}" >/dev/null
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300

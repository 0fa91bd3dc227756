#!/usr/bin/env bash
# Installs what is missing, builds Tactolo with warnings as errors and runs the
# whole test suite. With --sanitize, builds and tests under AddressSanitizer
# and UndefinedBehaviorSanitizer in a separate build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The include direction of the layers, before anything is built.
bash scripts/check_layers.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTACTOLO_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  flags=(-DCMAKE_BUILD_TYPE=Debug -DTACTOLO_WERROR=ON -DTACTOLO_SANITIZE=ON -DTACTOLO_BENCHMARKS=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build" "${flags[@]}"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

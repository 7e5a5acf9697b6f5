#!/usr/bin/env bash
# Builds and runs the whole test suite. With --sanitize, in a separate build
# with the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

if [ "${1:-}" = "--sanitize" ]; then
    dir=build-sanitize
    options=(-DCMAKE_BUILD_TYPE=Debug -DMARLWICK_SANITIZE=ON)
    # The in-process servers carry their own copies of the platform layers,
    # which the host's copies stand in for; the same global named by both is
    # no fault, so only copies of different sizes are reported.
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_odr_violation=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
    dir=build
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"

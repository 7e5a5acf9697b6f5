#!/usr/bin/env bash
# Builds everything, lays out the machine root (MARLWICK_ROOT, else
# ~/.local/share/marlwick) with its sample data, and starts Marlwick.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
build/bin/marlwick-install --programs build/bin --resources res
# The Windows search path of a fresh Windows machine.
export MARLWICK_WINPATH="${MARLWICK_WINPATH-C:\\Windows\\system32;C:\\Windows}"
exec build/bin/Marlwick

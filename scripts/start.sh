#!/usr/bin/env bash
# Builds the programs (not the tests), lays out the machine root
# (MARLWICK_ROOT, else ~/.local/share/marlwick) with its sample data, and
# starts Marlwick.
#
#   scripts/start.sh [--no-build]
#
# --no-build starts what was built before. MARLWICK_BUILD_DIR names the build
# folder (default: build in the repository).
set -euo pipefail

build_first=1
if [ "${1:-}" = "--no-build" ]; then
    build_first=0
fi

# Paths the caller gave are taken from the caller's folder.
caller="$(pwd)"
absolute() {
    case "$1" in
        /*) printf '%s' "$1" ;;
        *) printf '%s/%s' "$caller" "$1" ;;
    esac
}
if [ -n "${MARLWICK_SCRIPT:-}" ]; then
    export MARLWICK_SCRIPT="$(absolute "$MARLWICK_SCRIPT")"
fi
if [ -n "${MARLWICK_ROOT:-}" ]; then
    export MARLWICK_ROOT="$(absolute "$MARLWICK_ROOT")"
fi
build="${MARLWICK_BUILD_DIR:-build}"
if [ -n "${MARLWICK_BUILD_DIR:-}" ]; then
    build="$(absolute "$MARLWICK_BUILD_DIR")"
fi

cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${MARLWICK_SCRIPT:-}" ] && [ "${MARLWICK_DISPLAY:-}" != "headless" ]; then
    cat >&2 <<'NOTICE'
start.sh: DISPLAY is not set, so Marlwick will run headless and its windows cannot be seen.
To see them, run it under an X server (set DISPLAY, e.g. a desktop session or Xvfb with a VNC viewer),
or drive the run with a script (MARLWICK_SCRIPT=run.txt, see README.md). Ctrl+C ends it.
NOTICE
fi

if [ "$build_first" = 1 ]; then
    ./scripts/setup.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    # The programs, the installer and what it lays out; no test programs.
    cmake --build "$build" --target marlwick_programs
fi
"$build/bin/marlwick-install" --programs "$build/bin" --resources res
# The Windows search path of a fresh Windows machine.
export MARLWICK_WINPATH="${MARLWICK_WINPATH-C:\\Windows\\system32;C:\\Windows}"
exec "$build/bin/Marlwick"

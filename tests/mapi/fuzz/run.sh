#!/bin/sh
# Runs the PST file fuzz target for a bounded time (scripts/fuzz.sh runs
# every target). Usage: tests/mapi/fuzz/run.sh [seconds]   (default 60)
set -eu
root=$(cd "$(dirname "$0")/../../.." && pwd)
exec "$root/scripts/fuzz.sh" "${1:-60}" mapi_fuzz

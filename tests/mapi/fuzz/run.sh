#!/bin/sh
# Builds the PST file fuzz target with clang and runs it for a bounded time.
# Usage: tests/mapi/fuzz/run.sh [seconds]   (default 60)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build="$root/build-fuzz"
seconds="${1:-60}"

# The library itself is instrumented for coverage and the sanitizers too.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
ninja -C "$build" -j3 mapi_fuzz mapi_fuzz_seed

corpus="$build/mapi-fuzz-corpus"
mkdir -p "$corpus"
samples="${MARLWICK_PST_SAMPLES:-$root/../shared/testdata/pst}"
[ -d "$samples" ] || samples="$root/../../shared/testdata/pst"
for f in "$samples"/*.pst; do
    [ -f "$f" ] && cp -f "$f" "$corpus/" && chmod u+w "$corpus/$(basename "$f")"
done

rm -f "$corpus/seed-store.pst" "$corpus/seed-messages.pst"
"$build/bin/mapi_fuzz_seed" "$corpus/seed-store.pst" "$corpus/seed-messages.pst"

exec "$build/bin/mapi_fuzz" -max_total_time="$seconds" -max_len=400000 -timeout=10 \
    -rss_limit_mb=2048 "$corpus"

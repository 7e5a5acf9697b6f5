#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, address and undefined
# sanitizers) and runs each for a bounded time, starting from the seeds in
# the tree. Inputs found along the way stay in build-fuzz/corpus/<target>;
# an input that crashes a target is kept in build-fuzz/crashes/<target>.
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]   (default 20, all)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds="${1:-20}"
[ $# -gt 0 ] && shift
all="mapi_fuzz nsf_file_fuzz nsf_item_fuzz base64_fuzz bmp_fuzz icon_fuzz compressed_rtf_fuzz resource_script_fuzz"
targets="${*:-$all}"

# The libraries are instrumented for coverage and the sanitizers too.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
# shellcheck disable=SC2086
ninja -C "$build" -j"${FUZZ_JOBS:-$(nproc)}" $targets

seeds_of() {
    case "$1" in
    mapi_fuzz) echo "$root/tests/mapi/fuzz/seeds" ;;
    *) echo "$root/tests/fuzz/seeds/$1" ;;
    esac
}

for target in $targets; do
    corpus="$build/corpus/$target"
    crashes="$build/crashes/$target"
    mkdir -p "$corpus" "$crashes"
    seeds=$(seeds_of "$target")
    for seed in "$seeds"/*; do
        [ -f "$seed" ] || continue
        case "$seed" in
        *.gz) gzip -dc "$seed" > "$corpus/$(basename "$seed" .gz)" ;;
        *) cp -f "$seed" "$corpus/" ;;
        esac
    done
    echo "== $target: $seconds s"
    if [ "$target" = mapi_fuzz ]; then
        # The PST files that Outlook wrote, where the shared test data lies
        # beside the clone.
        for pst in "$root/../shared/testdata/pst"/*.pst "$root/../../shared/testdata/pst"/*.pst; do
            [ -f "$pst" ] && cp -f "$pst" "$corpus/" && chmod u+w "$corpus/$(basename "$pst")"
        done
    fi
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$build/bin/$target" -max_total_time="$seconds" -max_len=400000 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus"
done

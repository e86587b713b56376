#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in BUILD_DIR, then runs each for SECONDS from a
# scratch copy of its seed corpus (the committed corpus is never written to). Exits
# non-zero on any crash, leak, timeout or sanitizer report; the input that caused it is
# kept under BUILD_DIR/findings/ and printed in hex.
#   fuzz/run_fuzzers.sh BUILD_DIR SECONDS
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_DIR SECONDS" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$1
seconds=$2
# FUZZ_TARGETS="fuzz_playlist" runs only the named targets.
read -r -a targets <<<"${FUZZ_TARGETS:-fuzz_quoted_fields fuzz_playlist fuzz_station_answer fuzz_stream_recording}"

for tool in clang clang++ cmake; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done

mkdir -p "$build"
generator=()
command -v ninja >/dev/null && [ ! -f "$build/CMakeCache.txt" ] && generator=(-G Ninja)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target "${targets[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
    corpus=$scratch/$target
    mkdir -p "$corpus" "$scratch/artifacts-$target"
    cp "$here/corpus/$target/"* "$corpus/"
    log=$build/$target.log
    echo "== $target: ${seconds}s"
    status=0
    "$build/$target" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$scratch/artifacts-$target/" \
        "$corpus" >"$log" 2>&1 || status=$?
    # A sanitizer that reports and carries on still counts as a finding.
    if [ $status -ne 0 ] || grep -qE 'runtime error:|ERROR: (Address|Leak|Undefined)Sanitizer' "$log"; then
        failed=1
        echo "!! $target found a fault (exit $status); log: $log" >&2
        grep -E -A40 'ERROR:|runtime error:|property broken|==[0-9]+==' "$log" | head -80 >&2 || true
        for artifact in "$scratch/artifacts-$target/"*; do
            [ -e "$artifact" ] || continue
            cp "$artifact" "$build/findings/$target-$(basename "$artifact")"
            echo "-- input $(basename "$artifact") (kept in $build/findings/):" >&2
            head -c 2048 "$artifact" | od -An -tx1 >&2
        done
    else
        grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+.*DONE' "$log" | tail -3 || true
    fi
done
exit $failed

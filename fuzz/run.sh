#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for SECONDS (default
# 30). Fails on any crash, leak, timeout or memory blow-up; the input that
# caused it is left in BUILD/artifacts/TARGET/ and belongs, once fixed, in
# fuzz/regressions/TARGET/.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# Environment: KORDOC_FUZZ_BUILD (default: build-fuzz beside fuzz/),
# KORDOC_FUZZ_JOBS (build jobs, default 2). New inputs the fuzzer finds go
# to BUILD/corpus/TARGET/; the seed corpus in fuzz/corpus/ is only read.
set -eu

seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-"simline simfile streamline produce"}

here=$(cd "$(dirname "$0")" && pwd)
source=$(dirname "$here")
build=${KORDOC_FUZZ_BUILD:-$source/build-fuzz}
mkdir -p "$build"
build=$(cd "$build" && pwd)  # absolute: fuzz_produce changes its working folder

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$source" -B "$build" -DKORDOC_FUZZ=ON -DKORDOC_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for t in $targets; do
    cmake --build "$build" -j"${KORDOC_FUZZ_JOBS:-2}" --target "fuzz_$t" >/dev/null
done

status=0
for t in $targets; do
    corpus=$build/corpus/$t
    artifacts=$build/artifacts/$t
    mkdir -p "$corpus" "$artifacts"
    echo "== fuzz_$t for ${seconds}s"
    # Inputs up to 64 KiB (16 KiB for whole PDFs); a unit slower than 10 s
    # or above 2 GiB fails.
    max_len=65536
    [ "$t" = produce ] && max_len=16384
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/fuzz_$t" -max_total_time="$seconds" -max_len=$max_len -timeout=10 -rss_limit_mb=2048 \
        -dict="$here/sim.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
        "$corpus" "$here/corpus/$t" "$here/regressions/$t" >"$build/fuzz_$t.log" 2>&1; then
        echo "fuzz_$t FAILED; see $build/fuzz_$t.log and $artifacts/"
        tail -n 40 "$build/fuzz_$t.log"
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/fuzz_$t.log" || true
    echo "corpus: $(ls "$corpus" | wc -l) inputs in $corpus"
done
exit $status

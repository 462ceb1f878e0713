#!/bin/sh
# Builds the fuzzers with clang (build-fuzz) and runs each one for
# FUZZ_SECONDS seconds (default 60), at the lowest priority, from its seed
# corpus fuzz/corpus/<name>/. Inputs that add coverage collect in
# build-fuzz/corpus/<name>/; an input that crashes, leaks, hangs or runs out
# of memory is kept as fuzz/crashes/<name>-<kind>-<hash>. Prints the
# executions per second of each fuzzer; exits 1 when any of them found a fault.
set -eu

SECONDS_EACH=${FUZZ_SECONDS:-60}
BUILD=${FUZZ_BUILD:-build-fuzz}
JOBS=${JOBS:-$(nproc)}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVARON_FUZZ=ON >/dev/null
cmake --build "$BUILD" -j "$JOBS"

mkdir -p fuzz/crashes
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export QT_QPA_PLATFORM=offscreen

faults=""
for seeds in fuzz/corpus/*/; do
    name=$(basename "$seeds")
    program="$BUILD/${name}_fuzzer"
    work="$BUILD/corpus/$name"
    log="$BUILD/$name.log"
    mkdir -p "$work"
    dict=""
    [ -f "fuzz/$name.dict" ] && dict="-dict=fuzz/$name.dict"
    # shellcheck disable=SC2086
    if ! nice -n 19 "$program" "$work" "$seeds" $dict -max_total_time="$SECONDS_EACH" \
        -timeout=25 -rss_limit_mb=2048 -max_len=262144 -print_final_stats=1 \
        -artifact_prefix="fuzz/crashes/$name-" >"$log" 2>&1; then
        faults="$faults $name"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    added=$(sed -n 's/^stat::new_units_added: *//p' "$log")
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    printf '%-16s %9s runs %6s/s  %5s new inputs  %5s MB peak\n' \
        "$name" "${runs:-?}" "${speed:-?}" "${added:-?}" "${rss:-?}"
done

if [ -n "$faults" ]; then
    echo "faults found by:$faults (inputs in fuzz/crashes/, logs in $BUILD/)" >&2
    exit 1
fi

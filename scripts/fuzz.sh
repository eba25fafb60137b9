#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (libFuzzer + AddressSanitizer + UndefinedBehavior-
# Sanitizer) in build-fuzz/ and runs each for a bounded time, all four at once.
#   scripts/fuzz.sh [SECONDS]    seconds per target (default 60, or QUORBEL_FUZZ_SECONDS)
# QUORBEL_FUZZ_SEED fixes libFuzzer's seed, so that a run can be repeated (CI sets it); without it each run
# explores from a new random seed.
# The committed seeds (tests/fuzz/corpus/<target>/) are only read; what the fuzzers find goes to
# build-fuzz/corpus/<target>/. A crash, leak, timeout or out-of-memory input is copied into
# tests/fuzz/regressions/<target>/, which fuzz_regression_tests replays in every build, and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

seconds="${1:-${QUORBEL_FUZZ_SECONDS:-60}}"
dir=build-fuzz
targets=(value_from_string full_state full_state_xml render_block)

# Everything is compiled with the fuzzer's coverage hooks; only the fuzz executables link its runtime.
# Warnings are the GCC builds' business (scripts/test.sh): another compiler's extra warnings must not stop
# the fuzzing.
flags="-fsanitize=fuzzer-no-link"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DQUORBEL_SANITIZE=address,undefined -DQUORBEL_FUZZ=ON -DQUORBEL_WERROR=OFF >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; exit 1; }
mv "$dir.configure.log" "$dir/configure.log"
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >"$dir/build.log" 2>&1 ||
    { tail -n 60 "$dir/build.log"; exit 1; }

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
pids=()
for t in "${targets[@]}"; do
    rm -rf "$dir/artifacts/$t"
    mkdir -p "$dir/corpus/$t" "$dir/artifacts/$t"
    extra=()
    [ -f "tests/fuzz/$t.dict" ] && extra+=("-dict=tests/fuzz/$t.dict")
    [ -n "${QUORBEL_FUZZ_SEED:-}" ] && extra+=("-seed=$QUORBEL_FUZZ_SEED")
    "$dir/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/$t/" "${extra[@]}" "$dir/corpus/$t" "tests/fuzz/corpus/$t" \
        >"$dir/fuzz_$t.log" 2>&1 &
    pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
    t="${targets[$i]}"
    status=0
    wait "${pids[$i]}" || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz_$t.log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$dir/fuzz_$t.log" | tail -n 1)
    crashes=("$dir/artifacts/$t"/*)
    if [ "$status" -ne 0 ] || [ -e "${crashes[0]}" ]; then
        failed=1
        mkdir -p "tests/fuzz/regressions/$t"
        for f in "${crashes[@]}"; do
            [ -e "$f" ] && cp "$f" "tests/fuzz/regressions/$t/"
        done
        echo "fuzz_$t: FAILED (status $status); input kept in tests/fuzz/regressions/$t/" >&2
        grep -v '^#[0-9]' "$dir/fuzz_$t.log" | tail -n 40 >&2
    else
        echo "fuzz_$t: ${runs:-?} runs in ${seconds} s, ${cov:-cov: ?}, no crash"
    fi
done
exit "$failed"

#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer + UBSan) in build-fuzz/
# and runs each for the given number of seconds, all at once. Each target
# starts from its seeds in tests/fuzz/corpus/<name>/ and grows a working corpus in
# build-fuzz/corpus/<name>/; an input that fails lands in build-fuzz/findings/<name>/. Copy it into
# the target's seed folder when the fault is mended, so the ordinary test run replays it.
#
#   tools/run-fuzzers.sh SECONDS [TARGET...]
set -eu
cd "$(dirname "$0")/.."

seconds="${1:?usage: tools/run-fuzzers.sh SECONDS [TARGET...]}"
shift

tools/install-packages.sh
tools/install-packages.sh clang libclang-rt-14-dev

here=$(pwd)
folder=build-fuzz
[ -f "$folder/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Debug \
    -DQUORVELAN_SERVER_ORIGIN=http://127.0.0.1:47311 -DQUORVELAN_SANITIZE=address,undefined -DQUORVELAN_FUZZ=ON

cmake --build "$folder" -j "$(nproc)" --target quorvelan_core >/dev/null
mapfile -t targets < <(if [ $# -gt 0 ]; then printf '%s\n' "$@"; else cat "$folder/fuzz-targets.txt"; fi)
cmake --build "$folder" -j "$(nproc)" --target "${targets[@]/#/quorvelan_fuzz_}"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one()
{
    local name=$1
    mkdir -p "$folder/corpus/$name" "$folder/findings/$name"
    # A target may carry out its input as an unprivileged user, also when it fails.
    chmod 0777 "$folder/findings/$name"
    "$folder/tests/fuzz/quorvelan_fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$folder/findings/$name/" \
        "$folder/corpus/$name" "tests/fuzz/corpus/$name" >"$folder/findings/$name.log" 2>&1
}

pids=()
failed=()
for name in "${targets[@]}"; do
    run_one "$name" &
    pids+=("$!:$name")
done

for entry in "${pids[@]}"; do
    pid=${entry%%:*}
    name=${entry#*:}
    if wait "$pid"; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$folder/findings/$name.log" | grep -o '[0-9]*$' || echo "?")
        echo "$name: no finding in ${seconds} s ($runs runs)"
    else
        failed+=("$name")
        echo "$name: FINDING, see $here/$folder/findings/$name.log and $here/$folder/findings/$name/"
    fi
done

[ "${#failed[@]}" -eq 0 ]

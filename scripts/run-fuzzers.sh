#!/usr/bin/env bash
# Builds every libFuzzer target under fuzz/ with clang and gives each a bounded run, seeded
# with the corpus folder that sits beside its source (fuzz/<name>/seeds). A crash fails the run
# and leaves the input in build/fuzz/findings/ to be copied into tests/**/malformed/.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=()
for dir in fuzz/*/; do
    [ -f "$dir/CMakeLists.txt" ] && targets+=("fuzz_$(basename "$dir")")
done
((${#targets[@]})) || exit 0
total_seconds=${QUARVEL_FUZZ_SECONDS:-120}
per_target=$((total_seconds / ${#targets[@]}))
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"
mkdir -p build/fuzz/findings
for t in "${targets[@]}"; do
    name=${t#fuzz_}
    bin=$(find build/fuzz/fuzz -type f -name "$t" -perm -u+x | head -n 1)
    work=build/fuzz/corpus/$name
    mkdir -p "$work"
    seeds=()
    [ -d "fuzz/$name/seeds" ] && seeds+=("fuzz/$name/seeds")
    # Runaway scripts are stopped by the interpreter's time limit (a quarter second in the
    # fuzzer), once for each script an input runs; the timeout only has to catch a real hang.
    timeout=10
    [ "$name" = avm1 ] && timeout=30
    echo "=== fuzzing $name for ${per_target}s"
    ASAN_OPTIONS=detect_leaks=0 "$bin" -max_total_time="$per_target" -timeout="$timeout" -rss_limit_mb=2048 \
        -artifact_prefix=build/fuzz/findings/"$name"- -print_final_stats=1 "$work" "${seeds[@]}" 2>&1 | tail -n 5
done

#!/usr/bin/env bash
# Installs what is missing, builds the optimised and the sanitizer configurations and runs
# every test in both, then gives the fuzzers a bounded run.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)
# Widget tests run on Qt's offscreen platform. Qt keeps caches alive until exit, which the
# leak checker would report as leaks of ours; memory errors are still caught.
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

for preset in default asan; do
    echo "=== $preset: build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    echo "=== $preset: test"
    ctest --preset "$preset" -j "$jobs"
done

if [ -x scripts/run-fuzzers.sh ]; then
    ./scripts/run-fuzzers.sh
fi

#!/usr/bin/env bash
# Installs what is missing, builds the optimised and the sanitizer configurations and runs
# every test in both, then gives the fuzzers a bounded run.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

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

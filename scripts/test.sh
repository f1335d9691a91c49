#!/usr/bin/env bash
# Builds and runs every test. With --sanitize: a separate build under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    opts=(-DQUORVEL_SANITIZE=ON -DQUORVEL_BENCH=OFF)
else
    dir=build
    opts=()
fi
bash scripts/build.sh "$dir" "${opts[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j2

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every test, warnings as errors. With --sanitize: a separate build under
# AddressSanitizer and UndefinedBehaviorSanitizer. The sweeps over the sample corpus run
# where QUORVEL_CORPUS_DIR names it, or ../shared/corpus lies beside the project.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    opts=(-DQUORVEL_SANITIZE=ON -DQUORVEL_BENCH=OFF)
else
    dir=build
    opts=()
fi
if [ -z "${QUORVEL_CORPUS_DIR:-}" ] && [ -d ../shared/corpus ]; then
    export QUORVEL_CORPUS_DIR=$(realpath ../shared/corpus)
fi
bash scripts/build.sh "$dir" -DQUORVEL_WERROR=ON -DBUILD_TESTING=ON "${opts[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j2

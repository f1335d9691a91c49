#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUORVEL_FUZZ=ON -DQUORVEL_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    corpus=$(mktemp -d)
    # Seeds: the project's samples, and the sample corpus where it lies beside the project.
    cp tests/data/*.doc tests/data/*.xls "$corpus"
    find ../shared/corpus -type f ! -name '*.tsv' ! -name '*.md' -size -2M -exec cp {} "$corpus" \; 2>/dev/null || true
    find tests/data -type f ! -name "*.md" -exec cp {} "$corpus" \;
    "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 "$corpus"
    rm -rf "$corpus"
done

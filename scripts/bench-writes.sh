#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Durable writes of many documents, one at a time beside several at once (bench_write_many):
# the batch change of one title over 1,000 documents, quorvel-cli apply of a CSV over 1,000
# and its dry run over 10,000; warm, then on a simulated share of 1 ms per file-system call
# (the latency shim of ../shared/tools, preloaded; skipped without it).
#   scripts/bench-writes.sh [BUILD_DIR]     (default build-release, a Release build)
# QUORVEL_SHARED_TOOLS names the tools folder when it is not ../shared/tools, and
# QUORVEL_CORPUS_DIR the corpus when it is not ../shared/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
tools=${QUORVEL_SHARED_TOOLS:-../shared/tools}
if [ -z "${QUORVEL_CORPUS_DIR:-}" ] && [ -d ../shared/corpus ]; then
    export QUORVEL_CORPUS_DIR=$(realpath ../shared/corpus)
fi
work=$(mktemp -d --tmpdir="${QUORVEL_BENCH_TMP:-/var/tmp}")
trap 'rm -rf "$work"' EXIT
# The runs' records for undo go with the documents, not into the user's own journal.
export QUORVEL_JOURNAL_DIR=$work/journal

[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_WERROR=ON >/dev/null
cmake --build "$build" --target bench_write_many >/dev/null
"$build/bench/bench_write_many" --make-documents "$work/docs"
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores;" \
    "$(df -T "$work" | awk 'NR == 2 { print $2 }') under $work"

echo
echo "Warm cache, durable writes:"
"$build/bench/bench_write_many" "$work/docs"
if [ -f "$tools/latency_shim.c" ]; then
    gcc -shared -fPIC -O2 -o "$work/latency_shim.so" "$tools/latency_shim.c" -ldl -lpthread
    echo
    echo "1 ms added to every file-system call (LATENCY_US=1000):"
    LD_PRELOAD=$work/latency_shim.so LATENCY_US=1000 "$build/bench/bench_write_many" "$work/docs"
else
    echo "no $tools/latency_shim.c: the share figures are skipped"
fi

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Reading speed on a simulated network share, beside the warm-cache figures:
#   quorvel-cli read --json of 2,000 documents, beside a plain dump on libgsf;
#   the same with 1 ms added to every file-system call (LD_PRELOAD latency shim);
#   the window's export of 1,000 documents, from the command to its dialog, both ways;
#   the file-system calls per document, counted with strace -c -f.
# The shim and the dump are built from ../shared/tools when it is there (the dump needs
# libgsf-1-dev); without them their figures are skipped. Documents are copies of the
# readable .doc/.xls/.ppt of ../shared/corpus, or built by the benchmark without it.
#   scripts/bench-share.sh [BUILD_DIR]     (default build-release, a Release build)
# QUORVEL_SHARED_TOOLS names the tools folder when it is not ../shared/tools, and
# QUORVEL_CORPUS_DIR the corpus when it is not ../shared/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
tools=${QUORVEL_SHARED_TOOLS:-../shared/tools}
if [ -z "${QUORVEL_CORPUS_DIR:-}" ] && [ -d ../shared/corpus ]; then
    export QUORVEL_CORPUS_DIR=$(realpath ../shared/corpus)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash scripts/deps.sh
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvel-cli bench_read_many bench_export_window >/dev/null

if [ -f "$tools/latency_shim.c" ]; then
    gcc -shared -fPIC -O2 -o "$work/latency_shim.so" "$tools/latency_shim.c" -ldl
    export QUORVEL_SHARE_SHIM=$work/latency_shim.so
else
    echo "no $tools/latency_shim.c: the share figures are skipped"
fi
if [ -f "$tools/gsf_meta/gsf_meta.c" ] && pkg-config --exists libgsf-1; then
    gcc -O2 -o "$work/gsf_meta" "$tools/gsf_meta/gsf_meta.c" $(pkg-config --cflags --libs libgsf-1)
    export QUORVEL_GSF_META=$work/gsf_meta
else
    echo "no libgsf dump (needs $tools/gsf_meta and libgsf-1-dev): its figure is skipped"
fi

"$build/bench/bench_read_many" --make-documents "$work/docs"
export QUORVEL_BENCH_DOCUMENTS=$work/docs
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

"$build/bench/bench_read_many" --benchmark_out="$work/read.json" --benchmark_out_format=json
"$build/bench/bench_export_window" --benchmark_out="$work/export.json" \
    --benchmark_out_format=json
if [ -n "${QUORVEL_SHARE_SHIM:-}" ]; then
    LD_PRELOAD=$QUORVEL_SHARE_SHIM LATENCY_US=1000 "$build/bench/bench_export_window" \
        --benchmark_out="$work/export-share.json" --benchmark_out_format=json
fi

python3 - "$work" <<'EOF'
import json, os, sys
work = sys.argv[1]
def results(name):
    path = os.path.join(work, name)
    if not os.path.exists(path):
        return {}
    return {b["name"]: b for b in json.load(open(path))["benchmarks"] if "error_occurred" not in b}
def seconds(b):
    return b["real_time"] * {"ms": 1e-3, "us": 1e-6, "ns": 1e-9, "s": 1}[b["time_unit"]]
read, export, share = results("read.json"), results("export.json"), results("export-share.json")
print("\nFigures (one run, side by side):")
cli = read.get("BM_CliReadJson/real_time")
gsf = read.get("BM_GsfMetaDump/real_time")
if cli:
    print(f"  warm cache, quorvel-cli read --json, 2,000 documents: {seconds(cli):.3f} s,"
          f" {cli['items_per_second']:,.0f} documents/s")
if cli and gsf:
    print(f"  warm cache, libgsf dump, 2,000 documents: {seconds(gsf):.3f} s;"
          f" quorvel-cli is {seconds(gsf) / seconds(cli):.1f}x as fast")
for name, b in sorted(read.items()):
    if name.startswith("BM_CliReadJsonOnShare/"):
        jobs = name.split("/")[1]
        print(f"  1 ms per call, quorvel-cli read --json -j {jobs}, 2,000 documents:"
              f" {seconds(b):.2f} s, {b.get('calls/doc', 0):.2f} file-system calls per document")
for label, table in (("warm cache", export), ("1 ms per call", share)):
    b = table.get("BM_OutputToFileUntilDialog/manual_time")
    if b:
        print(f"  {label}, the window's export of 1,000 documents up to its dialog:"
              f" {seconds(b):.3f} s")
EOF

if command -v strace >/dev/null; then
    strace -c -f -o "$work/strace.txt" "$build/src/cli/quorvel-cli" read --json \
        "$work"/docs/* >/dev/null || true
    echo
    echo "strace -c -f, quorvel-cli read --json over 2,000 documents (start-up included):"
    awk '$NF ~ /^(openat|open|close|newfstatat|fstat|statx|fcntl|pread64)$/ {
             total += $4; printf "  %-11s %6.2f per document\n", $NF, $4 / 2000 }
         END { printf "  %-11s %6.2f per document\n", "all of them", total / 2000 }' \
        "$work/strace.txt"
fi

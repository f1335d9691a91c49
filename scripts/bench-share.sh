#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Reading speed on a simulated network share, beside the warm-cache figures, in one run:
#   quorvel-cli read --json of 2,000 documents on a share of 1 ms per file-system call, with
#   no bandwidth limit, with 1 Gbit/s and with 100 Mbit/s shared by all reads (the latency
#   shim of ../shared/tools, preloaded), for two sets: copies of the corpus's documents, and
#   1,800 of them beside 200 documents of 50 MB; time, bytes read and calls per document;
#   the bytes read for one document of 50 KB and one of 50 MB, and for a small presentation
#   and one of 50 MB;
#   warm, in-process and per file, beside a plain dump on libgsf;
#   the window's export of 1,000 documents, from the command to its dialog, both ways;
#   the file-system calls per document, counted with strace -c -f.
# QUORVEL_BASELINE=REVISION adds the figures of quorvel-cli as built from that revision
# (e.g. the one before a change), so that both sit side by side in one table.
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
trap 'git worktree remove --force "$work/baseline" 2>/dev/null || true; rm -rf "$work"' EXIT

bash scripts/deps.sh libgsf-1-dev strace
[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target quorvel-cli bench_read_many bench_export_window >/dev/null
clis=("new=$build/src/cli/quorvel-cli")
if [ -n "${QUORVEL_BASELINE:-}" ]; then
    git worktree add --detach "$work/baseline" "$QUORVEL_BASELINE" >/dev/null
    cmake -S "$work/baseline" -B build-baseline -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build-baseline --target quorvel-cli >/dev/null
    clis=("today=build-baseline/src/cli/quorvel-cli" "${clis[@]}")
fi

if [ -f "$tools/latency_shim.c" ]; then
    gcc -shared -fPIC -O2 -o "$work/latency_shim.so" "$tools/latency_shim.c" -ldl -lpthread
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
"$build/bench/bench_read_many" --make-documents "$work/mixed" 200
"$build/bench/bench_read_many" --make-document "$work/50KB.doc" 45000
"$build/bench/bench_read_many" --make-document "$work/50MB.doc" 52428800
export QUORVEL_BENCH_DOCUMENTS=$work/docs
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

if [ -n "${QUORVEL_SHARE_SHIM:-}" ]; then
    python3 - "$work" "${clis[@]}" <<'EOF'
import glob, os, subprocess, sys, time, zipfile
work, clis = sys.argv[1], [c.split("=", 1) for c in sys.argv[2:]]
shim = os.environ["QUORVEL_SHARE_SHIM"]
links = (("latency only", None), ("+ 1 Gbit/s", "1000"), ("+ 100 Mbit/s", "100"))

def read_on_share(cli, files, mbit):
    """One quorvel-cli read --json over files on the share: seconds, bytes read, calls."""
    counts = {"LATENCY_BYTES": os.path.join(work, "bytes"),
              "LATENCY_COUNT": os.path.join(work, "calls")}
    for path in counts.values():
        if os.path.exists(path):
            os.remove(path)
    env = dict(os.environ, LD_PRELOAD=shim, LATENCY_US="1000", **counts)
    if mbit:
        env["BANDWIDTH_MBIT"] = mbit
    start = time.monotonic()
    subprocess.run([cli, "read", "--json", "--"] + files, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    seconds = time.monotonic() - start
    total = lambda key: sum(int(n) for n in open(counts[key]).read().split())
    return seconds, total("LATENCY_BYTES"), total("LATENCY_COUNT")

print("\nquorvel-cli read --json, 2,000 documents, 1 ms per file-system call, default threads:")
print("| 2,000 documents | build | latency only | + 1 Gbit/s | + 100 Mbit/s"
      " | MB read | KB per document | calls per document |")
print("|---|---|---|---|---|---|---|---|")
for label, folder in (("the corpus's documents", "docs"),
                      ("1,800 of them + 200 of 50 MB", "mixed")):
    files = sorted(glob.glob(os.path.join(work, folder, "*")))
    for name, cli in clis:
        subprocess.run([cli, "read", "--json", "--"] + files, stdout=subprocess.DEVNULL)
        times = []
        for _, mbit in links:
            seconds, read, calls = read_on_share(cli, files, mbit)
            times.append(f"{seconds:.2f} s")
        print(f"| {label} | {name} | " + " | ".join(times) +
              f" | {read / 1e6:.1f} | {read / 1e3 / len(files):.1f}"
              f" | {calls / len(files):.2f} |")

# A presentation of 50 MB: the sample's parts and 50 MB of stored media behind them.
sample = "tests/data/pypptx_properties.pptx"
with zipfile.ZipFile(sample) as source, \
        zipfile.ZipFile(os.path.join(work, "50MB.pptx"), "w") as large:
    for item in source.infolist():
        large.writestr(item, source.read(item.filename))
    large.writestr(zipfile.ZipInfo("ppt/media/image99.png"), os.urandom(50 << 20))

print("\nBytes read for one document, 1 ms per call:")
for name, cli in clis:
    for small, large in ((os.path.join(work, "50KB.doc"), os.path.join(work, "50MB.doc")),
                         (sample, os.path.join(work, "50MB.pptx"))):
        small_bytes = read_on_share(cli, [small], None)[1]
        large_bytes = read_on_share(cli, [large], None)[1]
        print(f"  {name}: {os.path.basename(small)} ({os.path.getsize(small) / 1e3:.0f} KB)"
              f" {small_bytes / 1e3:.1f} KB, {os.path.basename(large)}"
              f" {large_bytes / 1e3:.1f} KB ({large_bytes / small_bytes:.2f}x)")
EOF
fi

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

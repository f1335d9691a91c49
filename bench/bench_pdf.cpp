// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the properties of a PDF and writing a title into it as an incremental update,
// through the door, per call: bench_pdf PDF [benchmark options]. scripts/bench-pdf.sh runs it
// on a PDF of 1 MB and one of 500 MB with the same objects.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "document/document_access.h"

namespace {

std::string g_path;

void readProperties(benchmark::State& state) {
    quorvel::props::DocProperties props;
    for (auto _ : state) {
        if (quorvel::document::ReadDocProperties(g_path, props) != quorvel::props::kSuccess) {
            state.SkipWithError("the PDF does not read");
            return;
        }
    }
}

// Each call appends one update of about a kilobyte, synced to the disk.
void writeTitle(benchmark::State& state) {
    quorvel::props::PropertyWriteRequest request;
    int count = 0;
    for (auto _ : state) {
        request.fields[0] = {"題 " + std::to_string(++count), 1};
        if (quorvel::document::WriteDocProperties(g_path, request) != quorvel::props::kSuccess) {
            state.SkipWithError("the PDF does not take the title");
            return;
        }
    }
}

BENCHMARK(readProperties)->Unit(benchmark::kMillisecond);
BENCHMARK(writeTitle)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_pdf PDF [benchmark options]\n");
        return 2;
    }
    g_path = argv[1];
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

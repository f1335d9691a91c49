// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and replacing a small stream must cost the same in a 1 MB and a 500 MB
// document (sparse files in the temporary folder).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cfb_builder.h"
#include "io/file_device.h"
#include "storage/compound_file.h"

namespace {

using namespace quorvel::storage;

// Removes the sample documents when the benchmark ends.
struct SampleFiles {
    ~SampleFiles() {
        for (const std::string& path : paths) {
            std::filesystem::remove(path);
        }
    }
    std::vector<std::string> paths;
} samples;

std::string sampleDocument(std::int64_t bulkBytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("quorvel_bench_" + std::to_string(::getpid()) + "_" + std::to_string(bulkBytes) + ".doc"))
            .string();
    if (!std::filesystem::exists(path)) {
        { std::ofstream create(path); }
        std::unique_ptr<quorvel::io::FileDevice> device;
        quorvel::io::FileDevice::open(path, quorvel::io::Access::ReadWrite, device);
        test::TestFilePlan plan;
        plan.streams = {{u"\u0005SummaryInformation", test::patternBytes(400, 1)},
                        {u"WordDocument", {}, static_cast<std::uint64_t>(bulkBytes)}};
        test::buildCompoundFile(plan, *device);
        samples.paths.push_back(path);
    }
    return path;
}

void readSmallStream(benchmark::State& state) {
    const std::string path = sampleDocument(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<quorvel::io::FileDevice> device;
        quorvel::io::FileDevice::open(path, quorvel::io::Access::Read, device);
        std::unique_ptr<CompoundFile> file;
        CompoundFile::open(*device, file);
        EntryId id = 0;
        file->findChild(kRootEntry, u"\u0005SummaryInformation", id);
        std::vector<std::byte> data;
        file->readStream(id, data, 1 << 20);
        benchmark::DoNotOptimize(data.data());
    }
}

void replaceSmallStream(benchmark::State& state) {
    const std::string path = sampleDocument(state.range(0));
    std::size_t size = 300;
    for (auto _ : state) {
        std::unique_ptr<quorvel::io::FileDevice> device;
        quorvel::io::FileDevice::open(path, quorvel::io::Access::ReadWrite, device);
        std::unique_ptr<CompoundFile> file;
        CompoundFile::open(*device, file);
        EntryId id = 0;
        size = size == 300 ? 900 : 300;
        file->createStream(kRootEntry, u"\u0005SummaryInformation", test::patternBytes(size, 2),
                           id);
    }
}

}  // namespace

BENCHMARK(readSmallStream)->Arg(1 << 20)->Arg(500 << 20);
BENCHMARK(replaceSmallStream)->Arg(1 << 20)->Arg(500 << 20);
BENCHMARK_MAIN();

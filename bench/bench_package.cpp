// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the properties of a 50 MB presentation must cost about what a 50 KB one costs
// (the central directory and two small parts); writing one, about a plain copy of the file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "document/document_access.h"
#include "io/memory_device.h"
#include "package/zip_package.h"
#include "support/temp_folder.h"
#include "zip_builder.h"

namespace {

using namespace quorvel;
using package::testing::BuiltEntry;

// Holds the sample documents; removed when the benchmark ends.
const test::TempFolder samples;

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A real presentation's parts plus stored media of mediaBytes, in pictures of 1 MB at most.
std::string samplePresentation(std::int64_t mediaBytes) {
    const std::string path = samples / (std::to_string(mediaBytes) + ".pptx");
    if (std::filesystem::exists(path)) {
        return path;
    }
    io::MemoryDevice source([] {
        const std::string text = fileText(QUORVEL_TEST_DATA_DIR "/pypptx_properties.pptx");
        std::vector<std::byte> bytes(text.size());
        std::memcpy(bytes.data(), text.data(), text.size());
        return bytes;
    }());
    std::unique_ptr<package::ZipPackage> base;
    package::ZipPackage::open(source, base);
    std::vector<BuiltEntry> entries;
    for (const std::string& name : base ? base->entryNames() : std::vector<std::string>{}) {
        std::string content;
        base->read(name, content, 1 << 24);
        entries.push_back({name, content});
    }
    std::uint32_t noise = 1;
    for (std::int64_t left = mediaBytes, i = 1; left > 0; ++i) {
        std::string picture(static_cast<std::size_t>(std::min<std::int64_t>(left, 1 << 20)), '\0');
        for (char& c : picture) {
            noise = noise * 1103515245u + 12345u;
            c = static_cast<char>(noise >> 24);
        }
        left -= static_cast<std::int64_t>(picture.size());
        entries.push_back({"ppt/media/image" + std::to_string(i) + ".png", picture, false});
    }
    std::ofstream(path, std::ios::binary) << package::testing::buildZip(entries).bytes;
    return path;
}

void readProperties(benchmark::State& state) {
    const std::string path = samplePresentation(state.range(0));
    state.counters["file bytes"] = static_cast<double>(std::filesystem::file_size(path));
    for (auto _ : state) {
        props::DocProperties properties;
        if (document::ReadDocProperties(path, properties) != props::kSuccess) {
            state.SkipWithError("read failed");
        }
        benchmark::DoNotOptimize(properties.data());
    }
}

// A different title each time, so that every iteration rewrites the package.
void writeTitle(benchmark::State& state) {
    const std::string path = samplePresentation(state.range(0));
    props::PropertyWriteRequest request;
    request.fields[0].change = 1;
    int round = 0;
    for (auto _ : state) {
        request.fields[0].text = "Title " + std::to_string(++round);
        if (document::WriteDocProperties(path, request) != props::kSuccess) {
            state.SkipWithError("write failed");
        }
    }
}

// What the write is measured against: a copy of the file, and a copy made durable.
void copyFile(benchmark::State& state) {
    const std::string path = samplePresentation(state.range(0));
    const std::string copy = path + ".copy";
    for (auto _ : state) {
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        if (state.range(1) != 0) {
            const int fd = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
            ::fsync(fd);
            ::close(fd);
        }
    }
    std::filesystem::remove(copy);
}

constexpr std::int64_t kSmall = 30 << 10;  // with the sample's own 15 KB: about 50 KB
constexpr std::int64_t kLarge = 50 << 20;

BENCHMARK(readProperties)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(writeTitle)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(copyFile)->Args({kLarge, 0})->Args({kLarge, 1})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

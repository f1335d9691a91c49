// SPDX-License-Identifier: GPL-3.0-or-later
// Property reads over many documents and title writes into small and very large ones.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "compound/property_set.h"
#include "document/document_access.h"

namespace {

using namespace quorvel;

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint64_t kSector = 512;
constexpr std::uint32_t kSetSectors = 8;  // a 4096-byte SummaryInformation, in regular sectors

std::string benchFolder() {
    static const std::string folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX").string();
        return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }();
    return folder;
}

void putU32(std::vector<std::byte>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::byte>(value >> (8 * i));
    }
}

void writeAt(int fd, std::uint64_t offset, const std::vector<std::byte>& bytes) {
    if (::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(bytes.size())) {
        std::abort();
    }
}

// A version 3 compound file with a SummaryInformation set and one stream of dataBytes
// whose sectors are left as holes, so that a file of hundreds of megabytes costs
// only its FAT on disk. Layout: directory, set, data, FAT, DIFAT.
void writeSparseDocument(const std::string& path, std::uint64_t dataBytes) {
    const std::uint32_t dataSectors =
        static_cast<std::uint32_t>((dataBytes + kSector - 1) / kSector);
    const std::uint32_t firstData = 1 + kSetSectors;
    std::uint32_t fatSectors = 1;
    std::uint32_t difatSectors = 0;
    for (;;) {
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + 126) / 127 : 0;
        const std::uint64_t total = firstData + dataSectors + fatSectors + difatSectors;
        if (total <= std::uint64_t{fatSectors} * 128) {
            break;
        }
        ++fatSectors;
    }
    const std::uint32_t firstFat = firstData + dataSectors;
    const std::uint32_t firstDifat = firstFat + fatSectors;

    std::vector<std::byte> fat(std::size_t{fatSectors} * kSector, std::byte{0xFF});
    auto link = [&](std::uint32_t sector, std::uint32_t next) { putU32(fat, sector * 4u, next); };
    link(0, kEndOfChain);
    for (std::uint32_t s = 1; s <= kSetSectors; ++s) {
        link(s, s == kSetSectors ? kEndOfChain : s + 1);
    }
    for (std::uint32_t s = firstData; s < firstFat; ++s) {
        link(s, s + 1 == firstFat ? kEndOfChain : s + 1);
    }
    for (std::uint32_t s = 0; s < fatSectors; ++s) {
        link(firstFat + s, kFatSector);
    }
    for (std::uint32_t s = 0; s < difatSectors; ++s) {
        link(firstDifat + s, kDifatSector);
    }

    std::vector<std::byte> header(kSector, std::byte{0xFF});
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::fill(header.begin() + 8, header.begin() + 76, std::byte{0});
    for (std::size_t i = 0; i < 8; ++i) {
        header[i] = std::byte{signature[i]};
    }
    putU32(header, 24, 0x0003003E);  // minor, major version
    putU32(header, 28, 0x0009FFFE);  // byte order, sector shift 9
    putU32(header, 32, 6);           // mini sector shift
    putU32(header, 44, fatSectors);
    putU32(header, 48, 0);  // first directory sector
    putU32(header, 56, 4096);
    putU32(header, 60, kEndOfChain);
    putU32(header, 68, difatSectors ? firstDifat : kEndOfChain);
    putU32(header, 72, difatSectors);
    std::vector<std::byte> difat(std::size_t{difatSectors} * kSector, std::byte{0xFF});
    for (std::uint32_t i = 0; i < fatSectors; ++i) {
        if (i < 109) {
            putU32(header, 76 + i * 4u, firstFat + i);
        } else {
            const std::uint32_t k = i - 109;
            putU32(difat, (k / 127) * kSector + (k % 127) * 4, firstFat + i);
        }
    }
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        putU32(difat, d * kSector + 127 * 4,
               d + 1 == difatSectors ? kEndOfChain : firstDifat + d + 1);
    }

    // Root -> "WordDocument" -> (right) "\005SummaryInformation": names order by length first.
    std::vector<std::byte> directory(kSector, std::byte{0});
    auto entry = [&](std::size_t index, std::u16string_view name, std::uint8_t type,
                     std::uint32_t right, std::uint32_t child, std::uint32_t start,
                     std::uint64_t size) {
        const std::size_t at = index * 128;
        for (std::size_t i = 0; i < name.size(); ++i) {
            directory[at + 2 * i] = static_cast<std::byte>(name[i] & 0xFF);
            directory[at + 2 * i + 1] = static_cast<std::byte>(name[i] >> 8);
        }
        directory[at + 64] = static_cast<std::byte>((name.size() + 1) * 2);
        directory[at + 66] = std::byte{type};
        directory[at + 67] = std::byte{1};
        putU32(directory, at + 68, kFree);
        putU32(directory, at + 72, right);
        putU32(directory, at + 76, child);
        putU32(directory, at + 116, start);
        putU32(directory, at + 120, static_cast<std::uint32_t>(size));
        putU32(directory, at + 124, static_cast<std::uint32_t>(size >> 32));
    };
    entry(0, u"Root Entry", 5, kFree, 1, kEndOfChain, 0);
    entry(1, u"WordDocument", 2, 2, kFree, firstData, dataBytes);
    entry(2, u"\u0005SummaryInformation", 2, kFree, kFree, 1, 4096);
    for (std::size_t field = 68; field < 80; field += 4) {
        putU32(directory, 3 * 128 + field, kFree);  // the unused fourth entry
    }

    compound::PropertySetStream set =
        compound::PropertySetStream::create(compound::FMTID_SummaryInformation, 1252);
    set.section().setText(2, "Benchmark");
    std::vector<std::byte> setBytes = set.serialize();
    setBytes.resize(4096);

    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    writeAt(fd, 0, header);
    writeAt(fd, kSector, directory);
    writeAt(fd, 2 * kSector, setBytes);
    writeAt(fd, (1 + std::uint64_t{firstFat}) * kSector, fat);
    writeAt(fd, (1 + std::uint64_t{firstDifat}) * kSector, difat);
    ::ftruncate(fd, static_cast<off_t>((1 + std::uint64_t{firstDifat} + difatSectors) * kSector));
    ::close(fd);
}

void BM_ReadPropertiesOf1000Documents(benchmark::State& state) {
    const std::string source = std::string(QUORVEL_TEST_DATA_DIR) + "/libscan_japanese.doc";
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i) {
        paths.push_back(benchFolder() + "/read" + std::to_string(i) + ".doc");
        std::filesystem::copy_file(source, paths.back(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    for (auto _ : state) {
        for (const std::string& path : paths) {
            props::DocProperties props;
            if (document::ReadDocProperties(path, props) != props::kSuccess) {
                state.SkipWithError("read failed");
                return;
            }
            benchmark::DoNotOptimize(props.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ReadPropertiesOf1000Documents)->Unit(benchmark::kMillisecond);

void BM_WriteTitle(benchmark::State& state) {
    const std::uint64_t megabytes = static_cast<std::uint64_t>(state.range(0));
    const std::string path = benchFolder() + "/write" + std::to_string(megabytes) + ".doc";
    writeSparseDocument(path, megabytes << 20);
    props::PropertyWriteRequest request;
    request.writeDocSummary = false;
    int round = 0;
    for (auto _ : state) {
        request.fields[0] = {"Title " + std::to_string(++round), 1};
        if (document::WriteDocProperties(path, request) != props::kSuccess) {
            state.SkipWithError("write failed");
            return;
        }
    }
}
BENCHMARK(BM_WriteTitle)->Arg(1)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(benchFolder());
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "cfb_builder.h"
#include "io/memory_device.h"
#include "storage/compound_file.h"
#include "storage_test_util.h"
#include "support/test_data.h"

namespace quorvel::storage::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::byte> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::transform(chars.begin(), chars.end(), bytes.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return bytes;
}

std::vector<fs::path> corpusFiles(const fs::path& corpus, bool broken) {
    std::vector<fs::path> out;
    for (const auto& item : fs::recursive_directory_iterator(corpus)) {
        const fs::path& path = item.path();
        if (!item.is_regular_file() || path.extension() == ".tsv" || path.extension() == ".md") {
            continue;
        }
        if ((path.parent_path().filename() == "broken") == broken) {
            out.push_back(path);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Files that are not compound files at all, kept in the corpus under .doc/.xls names.
bool notCompound(const fs::path& path) {
    const std::string name = path.filename().string();
    return name == "fmtcorpus_testWordPerfect_42.doc" || name == "poi_testEXCEL_4.xls" ||
           name == "poi_word2.doc" || name == "tika_testWORDML_tableInsideParagraph.doc";
}

using Corpus = quorvel::test::CorpusSweep;

TEST_F(Corpus, EveryDocumentOpensAndEveryStreamReads) {
    const std::vector<fs::path> files = corpusFiles(corpus(), false);
    ASSERT_GT(files.size(), 100U);
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.string());
        io::MemoryDevice device(readFile(path));
        std::unique_ptr<CompoundFile> file;
        const Status opened = CompoundFile::open(device, file);
        if (notCompound(path)) {
            EXPECT_EQ(opened, Status::NotCompound);
            continue;
        }
        ASSERT_EQ(opened, Status::Ok);
        std::map<std::u16string, std::vector<std::byte>> streams;
        EXPECT_EQ(readAllStreams(*file, streams), Status::Ok);
        EXPECT_FALSE(streams.empty());
    }
}

Status reopenAndRead(const std::vector<std::byte>& bytes,
                     std::map<std::u16string, std::vector<std::byte>>& out) {
    io::MemoryDevice device(bytes);
    std::unique_ptr<CompoundFile> file;
    if (const Status s = CompoundFile::open(device, file); s != Status::Ok) {
        return s;
    }
    return readAllStreams(*file, out);
}

// Rewrites the summary stream through the cutoff and back, then adds a stream, all
// through one open file; after each step the file reopens with every other stream
// byte-identical.
TEST_F(Corpus, RewritesKeepEveryOtherStreamByteIdentical) {
    const std::vector<std::pair<std::u16string, std::size_t>> steps = {
        {u"\u0005SummaryInformation", 700},
        {u"\u0005SummaryInformation", 5000},
        {u"\u0005SummaryInformation", 300},
        {u"QuorvelCheck", 100}};
    for (const fs::path& path : corpusFiles(corpus(), false)) {
        if (notCompound(path)) {
            continue;
        }
        SCOPED_TRACE(path.string());
        io::MemoryDevice device(readFile(path));
        std::map<std::u16string, std::vector<std::byte>> expected;
        ASSERT_EQ(reopenAndRead(device.bytes(), expected), Status::Ok);
        unsigned seed = 0;
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        for (const auto& [name, size] : steps) {
            expected[name] = patternBytes(size, ++seed);
            EntryId id = 0;
            ASSERT_EQ(file->createStream(kRootEntry, name, expected[name], id), Status::Ok);
            std::map<std::u16string, std::vector<std::byte>> after;
            ASSERT_EQ(reopenAndRead(device.bytes(), after), Status::Ok);
            EXPECT_TRUE(after == expected);
        }
    }
}

// Damaged files fail with a clean status at open or at some read. A few are sound
// containers whose property sets are damaged; they must read.
TEST_F(Corpus, DamagedDocumentsFailCleanly) {
    const std::map<std::string, Status> expected = {
        {"cfiles_invalid_magic.dat", Status::NotCompound},
        {"cfiles_invalid_sector_size.dat", Status::Damaged},
        {"openmcdf_corrupted-sector-chain-2.doc", Status::Damaged},
        {"openmcdf_corrupted-sector-chain.cfs", Status::Damaged},
        {"openmcdf_no_sectors.doc", Status::Damaged},
        {"libolecf_file_header.1", Status::Damaged},
        {"rustcfb_loop_in_open_1", Status::Damaged},
    };
    const std::set<std::string> soundContainers = {
        "poi_57843.doc", "poi_poi-fuzz.xls",
        "poi_clusterfuzz-testcase-minimized-POIHSLFFuzzer-6416153805979648.ppt",
        "poi_clusterfuzz-testcase-minimized-POIHWPFFuzzer-5050208641482752.doc",
        // The DIFAT loop lies beyond the 109 FAT sectors the header names.
        "cfiles_invalid_master_loop.dat"};
    for (const fs::path& path : corpusFiles(corpus(), true)) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        io::MemoryDevice device(readFile(path));
        std::unique_ptr<CompoundFile> file;
        const Status opened = CompoundFile::open(device, file);
        if (const auto it = expected.find(name); it != expected.end()) {
            EXPECT_EQ(opened, it->second);
            continue;
        }
        if (opened != Status::Ok) {
            EXPECT_EQ(opened, Status::Damaged);
            continue;
        }
        std::map<std::u16string, std::vector<std::byte>> streams;
        const Status read = readAllStreams(*file, streams);
        EXPECT_EQ(read, soundContainers.count(name) ? Status::Ok : Status::Damaged);
    }
}

}  // namespace
}  // namespace quorvel::storage::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "cfb_builder.h"
#include "io/block_cache.h"
#include "io/file_device.h"
#include "storage/compound_file.h"
#include "storage_test_util.h"
#include "test_devices.h"

namespace quorvel::storage::test {
namespace {

struct Cost {
    std::uint64_t read = 0;
    std::uint64_t fetched = 0;  // from the file, by the cache of a freshly opened document
    std::uint64_t fetches = 0;
    std::uint64_t readToWrite = 0;
    std::uint64_t written = 0;
};

// Builds a sparse file with a stream of `bulk` bytes that is never written, reads the
// two small streams and replaces one of them.
Cost costOfSmallStreams(std::uint64_t bulk) {
    const std::string path = testing::TempDir() + "cost_" + std::to_string(::getpid()) + ".doc";
    std::filesystem::remove(path);
    { std::ofstream create(path); }
    std::unique_ptr<io::FileDevice> disk;
    EXPECT_EQ(io::FileDevice::open(path, io::Access::ReadWrite, disk), io::OpenStatus::Ok);
    TestFilePlan plan;
    plan.streams = {{u"\u0005SummaryInformation", patternBytes(400, 1)},
                    {u"WordDocument", {}, bulk},
                    {u"\u0005DocumentSummaryInformation", patternBytes(300, 2)}};
    buildCompoundFile(plan, *disk);

    // What the container asks for, and what that costs the file below a cache.
    CountingDevice fileReads(*disk);
    io::BlockCache cache(fileReads);
    CountingDevice device(cache);
    std::unique_ptr<CompoundFile> file;
    Cost cost;
    EXPECT_EQ(CompoundFile::open(device, file), Status::Ok);
    std::vector<std::byte> data;
    EXPECT_EQ(readNamed(*file, u"\u0005SummaryInformation", data), Status::Ok);
    EXPECT_EQ(data, plan.streams[0].data);
    EXPECT_EQ(readNamed(*file, u"\u0005DocumentSummaryInformation", data), Status::Ok);
    EXPECT_EQ(data, plan.streams[2].data);
    cost.read = device.bytesRead();
    cost.fetched = fileReads.bytesRead();
    cost.fetches = fileReads.reads();
    EntryId id = 0;
    EXPECT_EQ(file->createStream(kRootEntry, u"\u0005SummaryInformation", patternBytes(900, 3), id),
              Status::Ok);
    cost.readToWrite = device.bytesRead() - cost.read;
    cost.written = device.bytesWritten();
    disk.reset();
    std::filesystem::remove(path);
    return cost;
}

TEST(CompoundFileCost, SmallStreamsOfAHugeFileCostWhatTheyCostInASmallOne) {
    const Cost small = costOfSmallStreams(100'000);
    const Cost huge = costOfSmallStreams(500'000'000);
    EXPECT_EQ(huge.read, small.read);
    EXPECT_LT(huge.read, 8 * 1024U);
    EXPECT_EQ(small.fetches, 1u);
    EXPECT_EQ(small.fetched, io::BlockCache::kFirstFetch.after);
    // The 500 MB file's FAT fills its first 4 MB; the directory lies behind it.
    EXPECT_LE(huge.fetches, 3u);
    EXPECT_LT(huge.fetched, 24 * 1024U);
    // Appending needs the end of the DIFAT chain: 64 sectors for 500 MB.
    EXPECT_LT(huge.readToWrite, 40 * 1024U);
    EXPECT_LE(huge.written, small.written);
    EXPECT_LT(huge.written, 8 * 1024U);
    std::cout << "read " << small.read << " / " << huge.read << " in " << small.fetches << " / "
              << huge.fetches << " reads of the file, read to write " << small.readToWrite << " / "
              << huge.readToWrite << ", written " << small.written << " / " << huge.written
              << " bytes (100 KB / 500 MB file)\n";
}

}  // namespace
}  // namespace quorvel::storage::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/block_cache.h"

#include <gtest/gtest.h>

#include <random>

#include "cfb_builder.h"
#include "storage/compound_file.h"
#include "storage_test_util.h"
#include "test_devices.h"

namespace quorvel::storage::test {
namespace {

constexpr std::uint64_t kBlock = io::BlockCache::kBlockSize;

std::vector<std::byte> readThrough(io::BlockDevice& device, std::uint64_t offset,
                                   std::size_t length, bool& ok) {
    std::vector<std::byte> out(length);
    ok = device.readAt(offset, out);
    return out;
}

TEST(BlockCache, ReadsWhatTheDeviceHoldsWithOneDeviceReadPerMiss) {
    const std::vector<std::byte> bytes = patternBytes(6 * kBlock + 123, 7);
    io::MemoryDevice memory(bytes);
    CountingDevice counting(memory);
    io::BlockCache cache(counting);
    struct Case {
        std::uint64_t offset;
        std::size_t length;
        std::uint64_t deviceReads;  // since the cache was made, after this read
        std::uint64_t bytesFetched;
    };
    const Case cases[] = {
        {0, 512, 1, kBlock},                               // the first block
        {kBlock - 512, 512, 1, kBlock},                    // inside it
        {kBlock - 10, 20, 2, 2 * kBlock},                  // reaches into the second block
        {3 * kBlock + 5, 2 * kBlock - 10, 3, 4 * kBlock},  // two missing blocks in one read
        {2 * kBlock - 1, kBlock + 2, 4, 5 * kBlock},       // the missing block between kept ones
        {6 * kBlock + 100, 23, 5, 5 * kBlock + 123},       // the cut-short last block
        {0, 6 * kBlock + 123, 6, 11 * kBlock + 246},       // too long to keep: straight through
        {kBlock, 3 * kBlock, 6, 11 * kBlock + 246},        // all kept
    };
    for (const Case& c : cases) {
        bool ok = false;
        const std::vector<std::byte> got = readThrough(cache, c.offset, c.length, ok);
        ASSERT_TRUE(ok) << c.offset;
        const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(c.offset);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), from)) << c.offset;
        EXPECT_EQ(counting.reads(), c.deviceReads) << c.offset;
        EXPECT_EQ(counting.bytesRead(), c.bytesFetched) << c.offset;
    }
    for (const auto& [offset, length] : {std::pair<std::uint64_t, std::size_t>{bytes.size(), 1},
                                         {bytes.size() - 10, 11},
                                         {bytes.size() + 1, 0},
                                         {~0ULL, 2}}) {
        bool ok = true;
        readThrough(cache, offset, length, ok);
        EXPECT_FALSE(ok) << offset << " +" << length;
    }
}

TEST(BlockCache, MatchesTheDeviceThroughAnyMixOfReadsAndWrites) {
    std::mt19937 random(11);
    io::MemoryDevice model(patternBytes(3 << 20, 3));  // larger than the cache holds
    io::MemoryDevice memory(model.bytes());
    io::BlockCache cache(memory);
    auto below = [&](std::uint64_t limit) {
        return std::uniform_int_distribution<std::uint64_t>(0, limit - 1)(random);
    };
    for (int step = 0; step < 3000; ++step) {
        const std::uint64_t offset = below(model.size() + 1000);
        const std::size_t length = below(10) == 0 ? below(400'000) : below(5000);
        if (below(3) == 0) {
            const std::vector<std::byte> data = patternBytes(length, static_cast<unsigned>(step));
            ASSERT_TRUE(cache.writeAt(offset, data));
            model.writeAt(offset, data);
            ASSERT_EQ(cache.size(), model.size());
            continue;
        }
        bool cached = false;
        bool direct = false;
        const std::vector<std::byte> got = readThrough(cache, offset, length, cached);
        const std::vector<std::byte> want = readThrough(model, offset, length, direct);
        ASSERT_EQ(cached, direct) << "step " << step;
        ASSERT_EQ(got, want) << "step " << step << " at " << offset << " +" << length;
    }
}

// Stores the first half of a write, then fails, as a full disk may.
class HalfWritingDevice : public io::MemoryDevice {
  public:
    using io::MemoryDevice::MemoryDevice;
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        io::MemoryDevice::writeAt(offset, data.first(data.size() / 2));
        return false;
    }
};

TEST(BlockCache, AFailedWriteServesWhatTheDeviceHoldsAfterwards) {
    HalfWritingDevice device(patternBytes(2 * kBlock, 1));
    io::BlockCache cache(device);
    bool ok = false;
    readThrough(cache, 0, 2 * kBlock, ok);
    ASSERT_TRUE(ok);
    EXPECT_FALSE(cache.writeAt(100, patternBytes(1000, 2)));
    const std::vector<std::byte> got = readThrough(cache, 0, 2 * kBlock, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(got, device.bytes());
}

// The header, tables, directory and mini stream lie in the first block: one read, whatever
// the size of the document's other streams.
TEST(BlockCache, BothPropertySetsOfADocumentWithItsTablesAheadCostOneDeviceRead) {
    for (const std::size_t bulk : {20'000, 60'000, 3'000'000}) {
        TestFilePlan plan;
        plan.streams = {{u"\u0005SummaryInformation", patternBytes(400, 1)},
                        {u"WordDocument", patternBytes(bulk, 3)},
                        {u"\u0005DocumentSummaryInformation", patternBytes(300, 2)},
                        {u"1Table", patternBytes(5000, 4)}};
        io::MemoryDevice memory(buildCompoundFile(plan));
        CountingDevice counting(memory);
        io::BlockCache cache(counting);
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(cache, file), Status::Ok);
        std::vector<std::byte> data;
        EXPECT_EQ(readNamed(*file, u"\u0005SummaryInformation", data), Status::Ok);
        EXPECT_EQ(data, plan.streams[0].data);
        EXPECT_EQ(readNamed(*file, u"\u0005DocumentSummaryInformation", data), Status::Ok);
        EXPECT_EQ(data, plan.streams[2].data);
        EXPECT_EQ(counting.reads(), 1u) << memory.size() << " bytes";
        EXPECT_EQ(counting.bytesRead(), std::min<std::uint64_t>(memory.size(), kBlock));
    }
}

}  // namespace
}  // namespace quorvel::storage::test

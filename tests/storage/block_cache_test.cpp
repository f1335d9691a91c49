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

using Cache = io::BlockCache;
constexpr std::uint64_t kSector = Cache::kAlignment;

std::vector<std::byte> readThrough(io::BlockDevice& device, std::uint64_t offset,
                                   std::size_t length, bool& ok) {
    std::vector<std::byte> out(length);
    ok = device.readAt(offset, out);
    return out;
}

// Each read that misses costs the device one read of a window around it: after the first
// fetch and the second, the later ones are small.
TEST(BlockCache, ReadsWhatTheDeviceHoldsWithOneDeviceReadPerMiss) {
    constexpr std::uint64_t kSize = 200'000;
    const std::vector<std::byte> bytes = patternBytes(kSize, 7);
    io::MemoryDevice memory(bytes);
    CountingDevice counting(memory);
    Cache cache(counting);
    constexpr std::uint64_t kFirst = Cache::kFirstFetch.after;
    constexpr std::uint64_t kSecond = Cache::kSecondFetch.after;    // nothing kept before it
    constexpr std::uint64_t kMiddle = 100'000 / kSector * kSector;  // nothing kept after it
    constexpr std::uint64_t kLater = Cache::kLaterFetch.after;
    constexpr std::uint64_t kTail = kSize - (kSize - kLater) / kSector * kSector;
    struct Case {
        std::uint64_t offset;
        std::size_t length;
        std::uint64_t deviceReads;  // since the cache was made, after this read
        std::uint64_t bytesFetched;
    };
    const Case cases[] = {
        {0, 512, 1, kFirst},                                     // the header's window
        {kFirst - 512, 512, 1, kFirst},                          // inside it
        {kFirst - 10, 20, 2, kFirst + kSecond},                  // reaches past it
        {kMiddle, 100, 3, kFirst + kSecond + kLater},            // a later window
        {kSize - 23, 23, 4, kFirst + kSecond + kLater + kTail},  // slides back from the end
        {kFirst + kSecond - 1, 2, 5, kFirst + kSecond + 2 * kLater + kTail},  // after a kept one
        {0, 150'000, 6, kFirst + kSecond + 2 * kLater + kTail + 150'000},     // too long to keep
        {kFirst, kSecond + kLater, 6, kFirst + kSecond + 2 * kLater + kTail + 150'000},  // kept
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

TEST(BlockCache, ASmallDeviceIsFetchedWholeByItsFirstRead) {
    const std::vector<std::byte> bytes = patternBytes(Cache::kWholeDeviceUpTo, 5);
    io::MemoryDevice memory(bytes);
    CountingDevice counting(memory);
    Cache cache(counting);
    bool ok = false;
    readThrough(cache, 100, 10, ok);
    EXPECT_EQ(readThrough(cache, 0, bytes.size(), ok), bytes);
    EXPECT_EQ(counting.reads(), 1u);
    EXPECT_EQ(counting.bytesRead(), bytes.size());
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
    HalfWritingDevice device(patternBytes(64 * 1024, 1));
    io::BlockCache cache(device);
    bool ok = false;
    readThrough(cache, 0, 64 * 1024, ok);
    ASSERT_TRUE(ok);
    EXPECT_FALSE(cache.writeAt(100, patternBytes(1000, 2)));
    const std::vector<std::byte> got = readThrough(cache, 0, 64 * 1024, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(got, device.bytes());
}

// The header, tables, directory and mini stream lie at the start: two reads at most, and
// few bytes, whatever the size of the document's other streams.
TEST(BlockCache, BothPropertySetsOfADocumentWithItsTablesAheadCostTwoSmallDeviceReads) {
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
        EXPECT_LE(counting.reads(), 2u) << memory.size() << " bytes";
        EXPECT_LE(counting.bytesRead(), 16 * 1024u) << memory.size() << " bytes";
    }
}

}  // namespace
}  // namespace quorvel::storage::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>

#include "cfb_builder.h"
#include "io/memory_device.h"
#include "storage/compound_file.h"
#include "storage_test_util.h"
#include "test_devices.h"

namespace quorvel::storage::test {
namespace {

using Streams = std::map<std::u16string, std::vector<std::byte>>;

Streams streamsOf(const TestFilePlan& plan) {
    Streams out;
    for (const TestStream& s : plan.streams) {
        out[s.name] = s.data;
    }
    return out;
}

Status readImage(const std::vector<std::byte>& bytes, Streams& out) {
    io::MemoryDevice device(bytes);
    std::unique_ptr<CompoundFile> file;
    if (const Status s = CompoundFile::open(device, file); s != Status::Ok) {
        return s;
    }
    return readAllStreams(*file, out);
}

// Writes `data` to the stream `name` of the root: replaced when it exists, else created.
Status writeStream(CompoundFile& file, std::u16string_view name,
                   const std::vector<std::byte>& data) {
    EntryId id = 0;
    return file.createStream(kRootEntry, name, data, id);
}

std::uint32_t field(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

// The bytes the FAT can describe: a write never leaves sectors beyond it.
std::uint64_t fatReach(const std::vector<std::byte>& bytes) {
    const std::uint64_t sectorSize = 1ULL << (field(bytes, 30) & 0xFFFF);
    return (static_cast<std::uint64_t>(field(bytes, 44)) * sectorSize / 4 + 1) * sectorSize;
}

struct WriteCase {
    const char* what;
    TestFilePlan plan;
    std::u16string stream;
    std::vector<std::byte> data;
    bool growsFat = false;
};

TestStream named(const char16_t* name, std::size_t size, unsigned seed) {
    return {name, patternBytes(size, seed)};
}

std::vector<WriteCase> writeCases() {
    const std::vector<TestStream> common = {named(u"Fill1", 4000, 11), named(u"Fill2", 3990, 12),
                                            named(u"Small", 100, 13), named(u"Big", 9000, 14)};
    auto with = [&](std::vector<TestStream> extra, unsigned shift = 9) {
        TestFilePlan plan;
        plan.sectorShift = shift;
        plan.majorVersion = shift == 12 ? 4 : 3;
        plan.streams = common;
        plan.streams.insert(plan.streams.end(), extra.begin(), extra.end());
        return plan;
    };
    // 109 FAT sectors, all named in the header: one more needs a DIFAT sector.
    TestFilePlan fullHeaderDifat = with({named(u"Huge", (109 * 128 - 160) * 512, 5)});
    TestFilePlan fullDirectory4096;
    fullDirectory4096.sectorShift = 12;
    fullDirectory4096.majorVersion = 4;
    for (unsigned i = 0; i < 31; ++i) {
        const std::u16string name = {u'S', static_cast<char16_t>(u'A' + i)};
        fullDirectory4096.streams.push_back({name, patternBytes(10 + i, i)});
    }
    TestFilePlan fewEntries;
    fewEntries.streams = {named(u"A", 100, 1), named(u"B", 5000, 2), named(u"C", 10, 3)};
    return {
        {"mini stream grows (new mini stream and MiniFAT sectors)", with({named(u"T", 200, 1)}),
         u"T", patternBytes(3000, 2)},
        {"mini stream shrinks", with({named(u"T", 3000, 1)}), u"T", patternBytes(100, 2)},
        {"crosses the cutoff up", with({named(u"T", 200, 1)}), u"T", patternBytes(10000, 2)},
        {"crosses the cutoff down", with({}), u"Big", patternBytes(500, 2)},
        {"to empty", with({}), u"Small", {}},
        {"big stream grows past the FAT", with({named(u"T", 5000, 1)}), u"T",
         patternBytes(90000, 2), true},
        {"big sectors: mini stream grows", with({named(u"T", 200, 1)}, 12), u"T",
         patternBytes(4000, 2)},
        {"big sectors: grows past the FAT", with({named(u"T", 5000, 1)}, 12), u"T",
         patternBytes(5'000'000, 2), true},
        {"FAT grows past the header (new DIFAT sector)", fullHeaderDifat, u"Big",
         patternBytes(200000, 2), true},
        {"creates a mini stream", with({}), u"\u0005SummaryInformation", patternBytes(400, 3)},
        {"creates a big stream", with({}), u"New", patternBytes(6000, 3)},
        {"creates in a new directory sector", fewEntries, u"D", patternBytes(300, 3)},
        {"creates an empty stream", fewEntries, u"Zero", {}},
        {"version 4: creates in a new directory sector", fullDirectory4096, u"New",
         patternBytes(100, 3)},
    };
}

TEST(CompoundFileWrite, GrowsTheFatIntoADifatSector) {
    const WriteCase c = writeCases()[8];
    io::MemoryDevice device;
    ASSERT_EQ(buildCompoundFile(c.plan, device).fatSectors, 109U);
    std::unique_ptr<CompoundFile> file;
    ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
    ASSERT_EQ(writeStream(*file, c.stream, c.data), Status::Ok);
    EXPECT_GT(field(device.bytes(), 44), 109U);  // FAT sectors
    EXPECT_EQ(field(device.bytes(), 72), 1U);    // DIFAT sectors
}

TEST(CompoundFileWrite, RefusesToAppendWhenSectorsLieBeyondTheFat) {
    TestFilePlan plan;
    plan.streams = {named(u"A", 5000, 1)};
    std::vector<std::byte> bytes = buildCompoundFile(plan);
    bytes.resize(bytes.size() + 200 * 512, std::byte{0x77});
    io::MemoryDevice device(bytes);
    std::unique_ptr<CompoundFile> file;
    ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
    EXPECT_EQ(writeStream(*file, u"A", patternBytes(90000, 2)), Status::Damaged);
    EXPECT_EQ(device.bytes(), bytes);
    std::vector<std::byte> data;
    ASSERT_EQ(readNamed(*file, u"A", data), Status::Ok);
    EXPECT_EQ(data, plan.streams[0].data);
}

TEST(CompoundFileWrite, ReplacesAndCreatesKeepingEveryOtherStream) {
    for (const WriteCase& c : writeCases()) {
        SCOPED_TRACE(c.what);
        io::MemoryDevice device(buildCompoundFile(c.plan));
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        ASSERT_EQ(writeStream(*file, c.stream, c.data), Status::Ok);
        Streams expected = streamsOf(c.plan);
        expected[c.stream] = c.data;
        Streams again;
        ASSERT_EQ(readAllStreams(*file, again), Status::Ok);
        EXPECT_EQ(again, expected);
        ASSERT_EQ(readImage(device.bytes(), again), Status::Ok);
        EXPECT_EQ(again, expected);
    }
}

// The process is killed after every possible number of writes: the file left behind
// opens, holds the old or the new content, every other stream unchanged, and takes
// the same write again.
TEST(CompoundFileWrite, AnInterruptedWriteLeavesOldOrNewContent) {
    for (const WriteCase& c : writeCases()) {
        SCOPED_TRACE(c.what);
        const std::vector<std::byte> original = buildCompoundFile(c.plan);
        const Streams before = streamsOf(c.plan);
        Streams after = before;
        after[c.stream] = c.data;
        int sawNew = 0;
        int sawOrphanedFat = 0;
        for (int k = 0;; ++k) {
            SCOPED_TRACE(k);
            StoppingDevice device(original, k);
            std::unique_ptr<CompoundFile> file;
            ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
            const Status written = writeStream(*file, c.stream, c.data);
            Streams left;
            ASSERT_EQ(readImage(device.bytes(), left), Status::Ok);
            if (written == Status::Ok) {
                EXPECT_FALSE(device.stopped());
                EXPECT_EQ(left, after);
                EXPECT_GT(k, 1);
                break;
            }
            EXPECT_EQ(written, Status::IoError);
            if (!before.count(c.stream) && !left.count(c.stream)) {
                EXPECT_EQ(left, before);
            } else if (left == after) {
                ++sawNew;
            } else {
                EXPECT_EQ(left, before);
            }
            // Stopped while the FAT grew, the file may end in FAT sectors the header
            // does not name yet; the next write starts over there.
            sawOrphanedFat += device.bytes().size() > fatReach(device.bytes());
            io::MemoryDevice retry(device.bytes());
            ASSERT_EQ(CompoundFile::open(retry, file), Status::Ok);
            const Status again = writeStream(*file, c.stream, c.data);
            ASSERT_EQ(again, Status::Ok);
            ASSERT_EQ(readImage(retry.bytes(), left), Status::Ok);
            EXPECT_EQ(left, after);
        }
        EXPECT_EQ(sawOrphanedFat > 0, c.growsFat);
        if (before.count(c.stream)) {
            EXPECT_GE(sawNew, 1) << "old sectors are freed after the switch";
        }
    }
}

}  // namespace
}  // namespace quorvel::storage::test

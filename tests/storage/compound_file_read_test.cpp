// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>

#include "cfb_builder.h"
#include "io/memory_device.h"
#include "storage/compound_file.h"
#include "storage/entry_name.h"
#include "storage_test_util.h"

namespace quorvel::storage::test {
namespace {

TestFilePlan samplePlan(unsigned sectorShift, std::uint16_t version) {
    TestFilePlan plan;
    plan.sectorShift = sectorShift;
    plan.majorVersion = version;
    plan.streams = {{u"\u0005SummaryInformation", patternBytes(300, 1)},
                    {u"WordDocument", patternBytes(9000, 2)},
                    {u"Empty", {}},
                    {u"Edge4095", patternBytes(4095, 3)},
                    {u"Edge4096", patternBytes(4096, 4)},
                    {u"1Table", patternBytes(64, 5)},
                    {u"Tail", patternBytes(5000, 6)}};
    return plan;
}

// Parts of a stream, across sector and mini-sector boundaries, read as the whole stream
// holds them; a part past its end is refused.
void expectPartsRead(const CompoundFile& file, const TestStream& stream) {
    EntryId id = 0;
    ASSERT_EQ(file.findChild(kRootEntry, stream.name, id), Status::Ok);
    const std::size_t n = stream.data.size();
    for (const auto& [offset, length] :
         {std::pair<std::size_t, std::size_t>{0, n},
          {n / 3, n / 2},
          {n - std::min<std::size_t>(n, 70), std::min<std::size_t>(n, 70)},
          {n, 0}}) {
        std::vector<std::byte> part(length);
        ASSERT_EQ(file.readStreamAt(id, offset, part), Status::Ok) << offset << " +" << length;
        EXPECT_TRUE(std::equal(part.begin(), part.end(),
                               stream.data.begin() + static_cast<std::ptrdiff_t>(offset)));
    }
    std::vector<std::byte> past(1);
    EXPECT_EQ(file.readStreamAt(id, n, past), Status::Damaged);
}

TEST(CompoundFileRead, ReadsEveryStreamOfBothVersionsAndSectorSizes) {
    for (const auto& [shift, version] : {std::pair{9U, 3}, {9U, 4}, {12U, 4}, {12U, 3}, {10U, 3}}) {
        SCOPED_TRACE(testing::Message() << "shift " << shift << " version " << version);
        const TestFilePlan plan = samplePlan(shift, static_cast<std::uint16_t>(version));
        io::MemoryDevice device(buildCompoundFile(plan));
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        std::map<std::u16string, std::vector<std::byte>> streams;
        ASSERT_EQ(readAllStreams(*file, streams), Status::Ok);
        ASSERT_EQ(streams.size(), plan.streams.size());
        for (const TestStream& s : plan.streams) {
            EXPECT_EQ(streams[s.name], s.data);
            expectPartsRead(*file, s);
        }
    }
}

TEST(CompoundFileRead, FindsNamesTheFormatsWayAndListsInItsOrder) {
    io::MemoryDevice device(buildCompoundFile(samplePlan(9, 3)));
    std::unique_ptr<CompoundFile> file;
    ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
    EntryId id = 0;
    ASSERT_EQ(file->findChild(kRootEntry, u"worddocument", id), Status::Ok);
    EXPECT_EQ(file->entryName(id), u"WordDocument");
    EXPECT_EQ(file->entrySize(id), 9000U);
    EXPECT_EQ(file->findChild(kRootEntry, u"WordDocumen", id), Status::NoSuchEntry);
    EXPECT_EQ(file->findChild(id, u"x", id), Status::NotAStream);
    std::vector<EntryId> children;
    ASSERT_EQ(file->listChildren(kRootEntry, children), Status::Ok);
    std::vector<std::u16string> names;
    for (const EntryId child : children) {
        names.push_back(file->entryName(child));
    }
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"Tail", u"Empty", u"1Table", u"Edge4095", u"Edge4096",
                                           u"WordDocument", u"\u0005SummaryInformation"}));
    std::vector<std::byte> data;
    EXPECT_EQ(file->readStream(kRootEntry, data, kReadLimit), Status::NotAStream);
    ASSERT_EQ(file->findChild(kRootEntry, u"WordDocument", id), Status::Ok);
    EXPECT_EQ(file->readStream(id, data, 8999), Status::TooLarge);
}

TEST(CompoundFileRead, ComparesNamesByLengthThenUpperCase) {
    using cfb::compareEntryNames;
    EXPECT_LT(compareEntryNames(u"Zz", u"aaa"), 0);
    EXPECT_EQ(compareEntryNames(u"abc", u"ABC"), 0);
    EXPECT_LT(compareEntryNames(u"abc", u"ABD"), 0);
    EXPECT_EQ(compareEntryNames(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(compareEntryNames(u"\u03c3\u0430\uff41", u"\u03a3\u0410\uff21"), 0);
    EXPECT_GT(compareEntryNames(u"_", u"a"), 0);  // upper-cased 'A' sorts before '_'
}

struct HeaderCase {
    const char* what;
    std::function<void(std::vector<std::byte>&)> breakIt;
    Status expected;
};

TEST(CompoundFileRead, RefusesBrokenHeaders) {
    const std::vector<HeaderCase> cases = {
        {"shorter than a header", [](auto& b) { b.resize(511); }, Status::NotCompound},
        {"empty", [](auto& b) { b.clear(); }, Status::NotCompound},
        {"signature", [](auto& b) { b[7] = std::byte{0}; }, Status::NotCompound},
        {"version 2", [](auto& b) { putU16(b, 26, 2); }, Status::Damaged},
        {"byte order", [](auto& b) { putU16(b, 28, 0xFEFF); }, Status::Damaged},
        {"sector shift 8", [](auto& b) { putU16(b, 30, 8); }, Status::Damaged},
        {"sector shift 13", [](auto& b) { putU16(b, 30, 13); }, Status::Damaged},
        {"sector shift 0xFFFF", [](auto& b) { putU16(b, 30, 0xFFFF); }, Status::Damaged},
        {"mini sector shift", [](auto& b) { putU16(b, 32, 7); }, Status::Damaged},
        {"FAT sectors beyond file", [](auto& b) { putU32(b, 44, 1000); }, Status::Damaged},
        {"DIFAT sectors beyond file", [](auto& b) { putU32(b, 72, 0xFFFFFFF0); }, Status::Damaged},
        {"MiniFAT sectors beyond file", [](auto& b) { putU32(b, 64, 1000); }, Status::Damaged},
        {"directory beyond file", [](auto& b) { putU32(b, 48, 500); }, Status::Damaged},
        {"directory at end of chain", [](auto& b) { putU32(b, 48, 0xFFFFFFFE); }, Status::Damaged},
        {"header only", [](auto& b) { b.resize(512); }, Status::Damaged},
    };
    const std::vector<std::byte> good = buildCompoundFile(samplePlan(9, 3));
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::byte> bytes = good;
        c.breakIt(bytes);
        io::MemoryDevice device(bytes);
        std::unique_ptr<CompoundFile> file;
        EXPECT_EQ(CompoundFile::open(device, file), c.expected);
    }
}

struct StreamCase {
    const char* what;
    std::function<void(std::vector<std::byte>&, const TestFileLayout&)> breakIt;
    const char16_t* stream;
};

// Entries: 1 summary (mini), 2 WordDocument (big), 3 Empty, 4 Edge4095, 5 Edge4096, 6 1Table,
// 7 Tail (big, last in the file).
TEST(CompoundFileRead, ReportsDamagedStreamsAndDirectories) {
    const TestFilePlan plan = samplePlan(9, 3);
    io::MemoryDevice built;
    const TestFileLayout layout = buildCompoundFile(plan, built);
    auto fatEntry = [&](std::uint32_t sector) { return layout.offsetOf(0) + 4ULL * sector; };
    auto startOf = [&](const std::vector<std::byte>& b, std::uint32_t entry) {
        const std::uint64_t at = layout.entryOffset(entry) + 116;
        return std::to_integer<std::uint32_t>(b[at]) | std::to_integer<std::uint32_t>(b[at + 1])
                                                           << 8;
    };
    const std::vector<StreamCase> cases = {
        {"size beyond the file",
         [](auto& b, auto& l) { putU32(b, l.entryOffset(2) + 120, 1 << 20); }, u"WordDocument"},
        {"chain loops", [&](auto& b, auto&) { putU32(b, fatEntry(startOf(b, 2)), startOf(b, 2)); },
         u"WordDocument"},
        {"chain loops back from its 10th sector",  // WordDocument: 18 consecutive sectors
         [&](auto& b, auto&) { putU32(b, fatEntry(startOf(b, 2) + 9), startOf(b, 2) + 4); },
         u"WordDocument"},
        {"chain loops back from its 17th sector",
         [&](auto& b, auto&) { putU32(b, fatEntry(startOf(b, 2) + 16), startOf(b, 2) + 1); },
         u"WordDocument"},
        {"chain ends early",
         [&](auto& b, auto&) { putU32(b, fatEntry(startOf(b, 2)), 0xFFFFFFFE); }, u"WordDocument"},
        {"chain runs into a free sector",
         [&](auto& b, auto&) { putU32(b, fatEntry(startOf(b, 2)), 0xFFFFFFFF); }, u"WordDocument"},
        {"start beyond the file", [](auto& b, auto& l) { putU32(b, l.entryOffset(2) + 116, 4000); },
         u"WordDocument"},
        {"mini chain loops",
         [&](auto& b, auto& l) {
             putU32(b, l.offsetOf(l.firstMiniFatSector) + 4ULL * startOf(b, 4), startOf(b, 4));
         },
         u"Edge4095"},
        {"mini start beyond the mini stream",
         [](auto& b, auto& l) { putU32(b, l.entryOffset(6) + 116, 10000); }, u"1Table"},
        {"mini stream shorter than its streams",
         [](auto& b, auto& l) { putU32(b, l.entryOffset(0) + 120, 64); }, u"Edge4095"},
        {"name length 66", [](auto& b, auto& l) { putU16(b, l.entryOffset(1) + 64, 66); },
         u"\u0005SummaryInformation"},
        {"odd name length", [](auto& b, auto& l) { putU16(b, l.entryOffset(1) + 64, 9); },
         u"\u0005SummaryInformation"},
        {"unknown entry type", [](auto& b, auto& l) { b[l.entryOffset(1) + 66] = std::byte{9}; },
         u"\u0005SummaryInformation"},
        {"child id beyond the directory",
         [](auto& b, auto& l) { putU32(b, l.entryOffset(0) + 76, 5000); }, u"1Table"},
        {"sibling cycle",
         [](auto& b, auto& l) {
             for (std::uint32_t e = 1; e <= 7; ++e) {
                 putU32(b, l.entryOffset(e) + 68, e);
                 putU32(b, l.entryOffset(e) + 72, e);
             }
         },
         u"NotThere"},
        {"MiniFAT chain missing", [](auto& b, auto&) { putU32(b, 60, 0xFFFFFFFE); }, u"Edge4095"},
        {"FAT sector beyond the file", [](auto& b, auto&) { putU32(b, 76, 900); }, u"WordDocument"},
    };
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::byte> bytes = built.bytes();
        c.breakIt(bytes, layout);
        io::MemoryDevice device(bytes);
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        std::vector<std::byte> data;
        EXPECT_EQ(readNamed(*file, c.stream, data), Status::Damaged);
        EXPECT_TRUE(data.empty());
    }
}

// WordDocument's 18 sectors chained last to first: a run of its own for each, so that the
// chain is checked for loops first run by run, then (beyond 16 runs) with a set.
TEST(CompoundFileRead, FollowsChainsInPiecesAndFindsTheirLoops) {
    io::MemoryDevice built;
    const TestFileLayout layout = buildCompoundFile(samplePlan(9, 3), built);
    const std::vector<std::byte>& good = built.bytes();
    const std::uint64_t startAt = layout.entryOffset(2) + 116;
    const std::uint32_t first = std::to_integer<std::uint32_t>(good[startAt]) |
                                std::to_integer<std::uint32_t>(good[startAt + 1]) << 8;
    constexpr std::uint32_t kSectors = 18;
    std::vector<std::byte> reversed = good;
    putU32(reversed, startAt, first + kSectors - 1);
    for (std::uint32_t i = 1; i < kSectors; ++i) {
        putU32(reversed, layout.offsetOf(0) + 4ULL * (first + i), first + i - 1);
    }
    putU32(reversed, layout.offsetOf(0) + 4ULL * first, 0xFFFFFFFE);
    std::vector<std::byte> expected;
    for (std::uint32_t i = kSectors; i-- > 0;) {
        const auto at = static_cast<std::ptrdiff_t>(layout.offsetOf(first + i));
        expected.insert(expected.end(), good.begin() + at, good.begin() + at + 512);
    }
    expected.resize(9000);

    struct Case {
        const char* what;
        std::uint32_t from;  // the sector whose entry is bent back to `to`; 0: none
        std::uint32_t to;
    };
    const Case cases[] = {
        {"no loop", 0, 0},
        {"loop after 6 runs", first + 12, first + 15},
        {"loop after 17 runs", first + 1, first + 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::byte> bytes = reversed;
        if (c.from != 0) {
            putU32(bytes, layout.offsetOf(0) + 4ULL * c.from, c.to);
        }
        io::MemoryDevice device(bytes);
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        std::vector<std::byte> data;
        EXPECT_EQ(readNamed(*file, u"WordDocument", data),
                  c.from == 0 ? Status::Ok : Status::Damaged);
        EXPECT_EQ(data, c.from == 0 ? expected : std::vector<std::byte>{});
    }
}

TEST(CompoundFileRead, ToleratesWhatDoesNotHarm) {
    const TestFilePlan plan = samplePlan(9, 3);
    io::MemoryDevice built;
    const TestFileLayout layout = buildCompoundFile(plan, built);
    const std::vector<std::function<void(std::vector<std::byte>&)>> harmless = {
        // Version 3: junk in the high half of a stream size.
        [&](auto& b) { putU32(b, layout.entryOffset(2) + 124, 0xDEADBEEF); },
        // A mini stream cutoff other than 4096 is ignored, as the reference reader does.
        [](auto& b) { putU32(b, 56, 512); },
        // The last sector cut short after the bytes that are used.
        [](auto& b) { b.erase(b.end() - 100, b.end()); },
        // Names not in the format's order: a list in entry order.
        [&](auto& b) {
            putU32(b, layout.entryOffset(0) + 76, 1);
            for (std::uint32_t e = 1; e <= 7; ++e) {
                putU32(b, layout.entryOffset(e) + 68, 0xFFFFFFFF);
                putU32(b, layout.entryOffset(e) + 72, e < 7 ? e + 1 : 0xFFFFFFFF);
            }
        },
    };
    for (std::size_t i = 0; i < harmless.size(); ++i) {
        SCOPED_TRACE(i);
        std::vector<std::byte> bytes = built.bytes();
        harmless[i](bytes);
        io::MemoryDevice device(bytes);
        std::unique_ptr<CompoundFile> file;
        ASSERT_EQ(CompoundFile::open(device, file), Status::Ok);
        for (const TestStream& s : plan.streams) {
            std::vector<std::byte> data;
            ASSERT_EQ(readNamed(*file, s.name, data), Status::Ok);
            EXPECT_EQ(data, s.data);
        }
    }
}

// Every prefix of a file, at the end of an exact-size buffer: reading never goes
// past the end and never fails other than cleanly.
TEST(CompoundFileRead, SurvivesEveryTruncation) {
    const std::vector<std::byte> whole = buildCompoundFile(samplePlan(9, 3));
    for (std::size_t length = 0; length < whole.size(); length += 7) {
        io::MemoryDevice device(std::vector<std::byte>(whole.begin(), whole.begin() + length));
        std::unique_ptr<CompoundFile> file;
        const Status opened = CompoundFile::open(device, file);
        if (opened != Status::Ok) {
            EXPECT_TRUE(opened == Status::NotCompound || opened == Status::Damaged);
            continue;
        }
        std::map<std::u16string, std::vector<std::byte>> streams;
        const Status read = readAllStreams(*file, streams);
        EXPECT_TRUE(read == Status::Ok || read == Status::Damaged);
    }
}

}  // namespace
}  // namespace quorvel::storage::test

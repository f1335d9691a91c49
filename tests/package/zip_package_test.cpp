// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package_test_util.h"
#include "storage/test_devices.h"
#include "zip_builder.h"

namespace quorvel::package::testing {
namespace {

constexpr std::size_t kCap = 16u << 20;

const std::string kCore = "<cp:coreProperties>タイトル</cp:coreProperties>";

TEST(ZipPackageTest, ReadsEntriesHoweverTheyAreStored) {
    const struct {
        const char* what;
        BuiltEntry entry;
        bool zip64End;
    } cases[] = {
        {"deflated", {"docProps/core.xml", kCore}, false},
        {"stored", {"docProps/core.xml", kCore, false}, false},
        {"empty", {"docProps/core.xml", "", true}, false},
        {"data descriptor", {"docProps/core.xml", kCore, true, true}, false},
        {"ZIP64 extra fields", {"docProps/core.xml", kCore, true, false, true}, false},
        {"ZIP64 end record", {"docProps/core.xml", kCore}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const OpenedZip zip(buildZip({{"mimetype", "x", false}, c.entry}, c.zip64End).bytes);
        ASSERT_EQ(zip.status, ZipStatus::Ok);
        EXPECT_EQ(zip.package->entryNames(),
                  (std::vector<std::string>{"mimetype", "docProps/core.xml"}));
        std::string out;
        EXPECT_EQ(zip.package->read("docProps/core.xml", out, kCap), EntryRead::Ok);
        EXPECT_EQ(out, c.entry.content);
        EXPECT_EQ(zip.package->read("docProps/app.xml", out, kCap), EntryRead::Missing);
    }
}

TEST(ZipPackageTest, FindsTheEndRecordBehindAComment) {
    // Comments that hold an end-record signature, which must not be taken for the record,
    // and comments too long for the short tail looked at first.
    const std::string fits = std::string("PK\x05\x06", 4) + std::string(16, '\0') +
                             std::string("\x05\x00", 2) + "abcdefgh";
    for (const std::string& comment :
         {std::string("PK\x05\x06", 4) + "trailing words", fits, "plain words" + fits,
          std::string(3000, 'w') + fits, fits + std::string(3000, 'w')}) {
        const OpenedZip zip(buildZip({{"a.xml", "alpha"}}, false, comment).bytes);
        ASSERT_EQ(zip.status, ZipStatus::Ok);
        EXPECT_EQ(zip.package->directory().comment, comment);
        EXPECT_EQ(zip.package->entryNames(), std::vector<std::string>{"a.xml"});
    }
}

TEST(ZipPackageTest, RefusesFilesThatAreNoZip) {
    for (const std::string& bytes : {std::string(), std::string("PK"), std::string(600, '\0'),
                                     std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)}) {
        EXPECT_EQ(OpenedZip(bytes).status, ZipStatus::NotZip);
    }
}

TEST(ZipPackageTest, DamagedDirectoriesAreRefusedAtOpening) {
    const BuiltZip good = buildZip({{"a.xml", "alpha"}, {"b.xml", "beta"}});
    const std::size_t endRecord = good.bytes.size() - 22;
    const auto patched = [&](std::size_t at, std::uint32_t value) {
        std::string bytes = good.bytes;
        patchU32(bytes, at, value);
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no end record", good.bytes.substr(0, endRecord)},
        {"directory beyond the end record", patched(endRecord + 16, 0x7FFFFFF0)},
        {"directory size beyond the end record", patched(endRecord + 12, 0x7FFFFFF0)},
        {"more entries than the directory holds", patched(endRecord + 8, 0x00400040)},
        {"entries on another disk", patched(endRecord + 4, 0x00010001)},
        {"second entry at the first one's offset", patched(good.centralOffsets[1] + 42, 0)},
        {"entry offset inside the directory",
         patched(good.centralOffsets[1] + 42, static_cast<std::uint32_t>(good.centralOffsets[0]))},
        {"entry claims more stored bytes than lie before the next",
         patched(good.centralOffsets[0] + 20, 4096)},
        {"broken central signature", patched(good.centralOffsets[1], 0x12345678)},
        {"duplicate name", buildZip({{"a.xml", "alpha"}, {"a.xml", "beta"}}).bytes},
        {"ZIP64 marker without extra field", patched(good.centralOffsets[0] + 42, 0xFFFFFFFF)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OpenedZip(c.bytes).status, ZipStatus::Damaged);
    }
}

TEST(ZipPackageTest, EntriesThatDisagreeOrLieAreDamaged) {
    const auto readBack = [](BuiltEntry entry, std::size_t cap = kCap) {
        const OpenedZip zip(buildZip({{"first", "1"}, entry}).bytes);
        EXPECT_EQ(zip.status, ZipStatus::Ok);
        std::string out;
        return zip.package ? zip.package->read(entry.name, out, cap) : EntryRead::Damaged;
    };
    const std::string big(100000, 'x');
    const struct {
        const char* what;
        BuiltEntry entry;
        std::size_t cap;
        EntryRead expected;
    } cases[] = {
        {"local name differs",
         {.name = "core.xml", .content = kCore, .localName = "other.xml"},
         kCap,
         EntryRead::Damaged},
        {"claims fewer bytes than it inflates to",
         {.name = "core.xml", .content = big, .centralSize = 1000},
         kCap,
         EntryRead::Damaged},
        {"claims more bytes than it inflates to",
         {.name = "core.xml", .content = kCore, .centralSize = 5000},
         kCap,
         EntryRead::Damaged},
        {"claims a huge size",
         {.name = "core.xml", .content = kCore, .centralSize = 0xFFFFFFF0},
         kCap,
         EntryRead::TooLarge},
        {"larger than the cap", {.name = "core.xml", .content = big}, 50000, EntryRead::TooLarge},
        {"central crc differs",
         {.name = "core.xml", .content = kCore, .centralCrc = 1},
         kCap,
         EntryRead::Damaged},
        {"crc wrong behind a data descriptor",
         {.name = "core.xml", .content = kCore, .dataDescriptor = true, .centralCrc = 1},
         kCap,
         EntryRead::Damaged},
        {"unknown method",
         {.name = "core.xml", .content = kCore, .method = 14},
         kCap,
         EntryRead::Damaged},
        {"stored but sizes differ",
         {.name = "core.xml", .content = kCore, .deflate = false, .centralSize = 3},
         kCap,
         EntryRead::Damaged},
        {"encrypted",
         {.name = "core.xml", .content = kCore, .flags = zip::kFlagEncrypted},
         kCap,
         EntryRead::Damaged},
        {"stored bytes are no deflate stream",
         {.name = "core.xml", .content = kCore, .deflate = false, .method = 8},
         kCap,
         EntryRead::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readBack(c.entry, c.cap), c.expected);
    }
}

// Every prefix of a package, at the end of an exact-size buffer: opening and reading end with
// a status, never an over-read.
TEST(ZipPackageTest, EveryTruncationEndsWithAStatus) {
    const std::string whole =
        buildZip({{"mimetype", "application/vnd.oasis.opendocument.text", false},
                  {"meta.xml", kCore, true, true},
                  {"content.xml", std::string(3000, 'c'), true, false, true}},
                 true)
            .bytes;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const OpenedZip zip(whole.substr(0, size));
        if (zip.status == ZipStatus::Ok) {
            std::string out;
            for (const std::string& name : zip.package->entryNames()) {
                zip.package->read(name, out, kCap);
            }
        }
    }
    EXPECT_EQ(OpenedZip(whole).status, ZipStatus::Ok);
}

// Opening and reading one small part cost the central directory and that part, whatever
// else the package holds.
TEST(ZipPackageTest, ReadsOnlyTheDirectoryAndTheEntryAskedFor) {
    std::vector<BuiltEntry> entries = {{"docProps/core.xml", kCore}};
    std::string noise(1 << 20, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 7919) >> 3);
    }
    for (int i = 0; i < 20; ++i) {
        entries.push_back({"ppt/media/image" + std::to_string(i) + ".png", noise, false});
    }
    io::MemoryDevice memory(toBytes(buildZip(entries).bytes));
    storage::test::CountingDevice device(memory);
    std::unique_ptr<ZipPackage> package;
    ASSERT_EQ(ZipPackage::open(device, package), ZipStatus::Ok);
    std::string out;
    ASSERT_EQ(package->read("docProps/core.xml", out, kCap), EntryRead::Ok);
    EXPECT_LT(device.bytesRead(), 80u << 10) << "of " << memory.size() << " bytes";
}

}  // namespace
}  // namespace quorvel::package::testing

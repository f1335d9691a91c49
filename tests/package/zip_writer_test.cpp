// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package/zip_format.h"
#include "package_test_util.h"
#include "zip_builder.h"

namespace quorvel::package::testing {
namespace {

constexpr std::size_t kCap = 16u << 20;

const std::vector<BuiltEntry> kSource = {
    {"mimetype", "application/vnd.oasis.opendocument.text", false},
    {"content.xml", std::string(5000, 'c')},
    {"docProps/core.xml", "<old/>", true, true},
    {"ppt/media/image1.png", std::string(3000, 'p'), false, false, true},
    {"名前.xml", "<utf8/>", true, false, false, "", {}, {}, {}, zip::kFlagUtf8Name},
};

TEST(ZipWriterTest, ChangedPartsAreNewAndEveryOtherEntryKeepsItsStoredBytes) {
    const OpenedZip source(buildZip(kSource, true, "archive comment").bytes);
    ASSERT_EQ(source.status, ZipStatus::Ok);
    const PackageChanges changes = {{"docProps/core.xml", "<new>値</new>"},
                                    {"docProps/custom.xml", "<custom/>"}};
    StringSink sink;
    ASSERT_TRUE(writeZipPackage(*source.package, changes, sink));

    const OpenedZip written(sink.bytes);
    ASSERT_EQ(written.status, ZipStatus::Ok);
    EXPECT_EQ(
        written.package->entryNames(),
        (std::vector<std::string>{"mimetype", "content.xml", "docProps/core.xml",
                                  "ppt/media/image1.png", "名前.xml", "docProps/custom.xml"}));
    EXPECT_EQ(written.package->directory().comment, "archive comment");
    for (const char* unchanged : {"mimetype", "content.xml", "ppt/media/image1.png", "名前.xml"}) {
        SCOPED_TRACE(unchanged);
        EXPECT_EQ(storedBytes(*written.package, unchanged),
                  storedBytes(*source.package, unchanged));
    }
    EXPECT_EQ(written.package->directory().entries[0].method, zip::kMethodStored);
    std::map<std::string, std::string> expected;
    for (const BuiltEntry& entry : kSource) {
        expected[entry.name] = entry.content;
    }
    expected["docProps/core.xml"] = "<new>値</new>";
    expected["docProps/custom.xml"] = "<custom/>";
    for (const auto& [name, content] : expected) {
        std::string out;
        EXPECT_EQ(written.package->read(name, out, kCap), EntryRead::Ok) << name;
        EXPECT_EQ(out, content) << name;
    }
    EXPECT_EQ(readWithLibzip(sink.bytes), expected);
}

TEST(ZipWriterTest, WritingNoChangesReproducesEveryEntry) {
    const OpenedZip source(buildZip(kSource).bytes);
    StringSink sink;
    ASSERT_TRUE(writeZipPackage(*source.package, {}, sink));
    const OpenedZip again(sink.bytes);
    ASSERT_EQ(again.status, ZipStatus::Ok);
    StringSink second;
    ASSERT_TRUE(writeZipPackage(*again.package, {}, second));
    EXPECT_EQ(second.bytes, sink.bytes) << "a rewrite of a rewrite is the same file";
}

TEST(ZipWriterTest, AFailingSinkFailsTheWrite) {
    const OpenedZip source(buildZip(kSource).bytes);
    StringSink whole;
    int calls = 0;
    StoppingSink counting(whole, 1000, calls);
    ASSERT_TRUE(writeZipPackage(*source.package, {{"content.xml", "x"}}, counting));
    for (int allowed = 0; allowed < calls; ++allowed) {
        StringSink partial;
        int ignored = 0;
        StoppingSink stopping(partial, allowed, ignored);
        EXPECT_FALSE(writeZipPackage(*source.package, {{"content.xml", "x"}}, stopping)) << allowed;
    }
}

TEST(ZipWriterTest, DamagedEntriesAreNotCopied) {
    BuiltZip zipFile = buildZip(kSource);
    patchU32(zipFile.bytes, zipFile.localOffsets[1] + 14, 0xDEAD);  // local crc disagrees
    const OpenedZip source(zipFile.bytes);
    ASSERT_EQ(source.status, ZipStatus::Ok);
    StringSink sink;
    EXPECT_FALSE(writeZipPackage(*source.package, {{"docProps/core.xml", "<x/>"}}, sink));
}

}  // namespace
}  // namespace quorvel::package::testing

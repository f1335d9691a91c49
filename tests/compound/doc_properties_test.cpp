// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "compound/compound_properties.h"
#include "compound_document.h"
#include "document/document_access.h"
#include "io/file_device.h"
#include "support/file_access.h"
#include "support/temp_folder.h"
#include "support/time_zone_scope.h"

namespace quorvel::compound {
namespace {

using namespace testing;

Bytes summaryIn(std::int16_t codePage) {
    return summaryStream({
        {1, i2(codePage)},
        {2, string("Old title")},
        {4, string("Author")},
        {10, fileTime(72000000000)},  // edit time: two hours
        {12, fileTime(0x01D0000000000000)},
        {14, i4(12)},
        {17, scalar(VT_CF, 0, 4)},
    });
}
Bytes docSummaryIn(std::int16_t codePage) {
    return stream({{FMTID_DocSummaryInformation,
                    section({{1, i2(codePage)}, {2, string("Cat")}, {15, string("Co")}})}});
}
const Bytes kSummary = summaryIn(1252);
const Bytes kDocSummary = docSummaryIn(1252);

class DocProperties : public ::testing::Test {
  protected:
    void SetUp() override {
        test::useTimeZone("Asia/Tokyo");
        document::ForceGenerationProperty = false;
    }
    void TearDown() override { document::ForceGenerationProperty = false; }

    // Runs an operation on a document held in memory; returns its code.
    template <typename Operation>
    MessageCode onDocument(Bytes& bytes, Operation operation) {
        io::MemoryDevice device(bytes);
        std::unique_ptr<storage::CompoundFile> file;
        MessageCode code = openCompoundFile(device, file);
        if (code == kSuccess) {
            code = operation(*file);
        }
        file.reset();
        bytes = device.bytes();
        return code;
    }
    MessageCode read(Bytes bytes, props::DocProperties& props) {
        return onDocument(bytes,
                          [&](storage::CompoundFile& f) { return readDocProperties(f, props); });
    }
    MessageCode write(Bytes& bytes, const PropertyWriteRequest& request, bool create = false) {
        return onDocument(bytes, [&](storage::CompoundFile& f) {
            return writeDocProperties(f, request, create);
        });
    }
    static StreamMap streams(const Bytes& bytes) {
        io::MemoryDevice device(bytes);
        return streamsOf(device);
    }
};

PropertyWriteRequest ticking(std::initializer_list<std::pair<std::size_t, const char*>> fields) {
    PropertyWriteRequest request;
    for (const auto& [index, text] : fields) {
        request.fields[index] = {text, 1};
    }
    return request;
}

TEST_F(DocProperties, ReadsOneOrBothBlocks) {
    const Bytes other = Bytes(5000, std::byte{7});
    struct Case {
        const char* what;
        std::vector<std::pair<std::u16string, Bytes>> streams;
        MessageCode code;
        std::size_t entries;
    };
    const Case cases[] = {
        {"both sets", {{kSummaryName, kSummary}, {kDocSummaryName, kDocSummary}}, kSuccess, 33},
        {"no second set", {{kSummaryName, kSummary}}, kSuccess, 18},
        {"second set damaged",
         {{kSummaryName, kSummary}, {kDocSummaryName, Bytes(8)}},
         kSuccess,
         18},
        {"no sets", {{u"WordDocument", other}}, kNoSummary, 0},
        {"not a set", {{kSummaryName, Bytes(3)}}, kNoSummary, 0},
        {"section unreadable",
         {{kSummaryName, stream({{FMTID_SummaryInformation, Bytes(8, std::byte{0xFF})}})}},
         kSummaryReadFailed,
         0},
    };
    for (const Case& c : cases) {
        props::DocProperties props(3);
        EXPECT_EQ(read(compoundFileWith(c.streams), props), c.code) << c.what;
        EXPECT_EQ(props.size(), c.entries) << c.what;
    }

    props::DocProperties props;
    ASSERT_EQ(
        read(compoundFileWith({{kSummaryName, kSummary}, {kDocSummaryName, kDocSummary}}), props),
        kSuccess);
    EXPECT_EQ(props[0].text, "Old title");
    EXPECT_EQ(props[1].text, "");  // absent: empty, still present
    EXPECT_FALSE(props[1].isTime);
    EXPECT_TRUE(props[8].isTime);
    EXPECT_EQ(props[8].time, 72000000000u);  // kept as stored, not as a calendar date
    EXPECT_EQ(props[8].text, "11:00.00 am, Mon 01/01/1601");
    EXPECT_EQ(props[10].time, 0x01D0000000000000u);
    EXPECT_EQ(props[12].text, "12");
    EXPECT_EQ(props[12].time, 0u);
    EXPECT_EQ(props[15].text, "");  // thumbnail
    EXPECT_EQ(props[18].text, "Cat");
    EXPECT_EQ(props[31].text, "Co");
}

TEST_F(DocProperties, ReadsAndWritesASetStoredAsAStorage) {
    Bytes doc = handBuiltCompoundFile({
        {u"Root Entry", 5, 1},
        {kSummaryName, 1, 2},
        {u"CONTENTS", 2, kNoStream, kNoStream, kSummary},
    });
    props::DocProperties props;
    ASSERT_EQ(read(doc, props), kSuccess);
    EXPECT_EQ(props[0].text, "Old title");
    PropertyWriteRequest request = ticking({{0, "New"}});
    request.writeDocSummary = false;
    ASSERT_EQ(write(doc, request), kSuccess);
    ASSERT_EQ(read(doc, props), kSuccess);
    EXPECT_EQ(props[0].text, "New");
    EXPECT_EQ(props[2].text, "Author");
}

TEST_F(DocProperties, WritesOnlyWhatTheRequestMarks) {
    const Bytes data(300, std::byte{1});
    Bytes doc = compoundFileWith(
        {{kSummaryName, summaryIn(932)}, {kDocSummaryName, docSummaryIn(-535)}, {u"Data", data}});
    PropertyWriteRequest request = ticking({{0, "表題"}, {1, ""}, {8, "App"}, {10, "会社"}});
    request.fields[2] = {"not ticked", 0};
    request.dates = {{0, 0x01D1000000000000, 0x01D2000000000000, 0}};
    ASSERT_EQ(write(doc, request), kSuccess);

    props::DocProperties props;
    ASSERT_EQ(read(doc, props), kSuccess);
    EXPECT_EQ(props[0].text, "表題");
    EXPECT_EQ(props[1].text, "");
    EXPECT_EQ(props[2].text, "Author");
    EXPECT_EQ(props[16].text, "App");
    EXPECT_EQ(props[8].time, 72000000000u);          // date 0: left alone
    EXPECT_FALSE(props[9].isTime);                   // absent: not created
    EXPECT_EQ(props[10].time, 0x01D2000000000000u);  // present: replaced
    EXPECT_EQ(props[12].text, "12");
    EXPECT_EQ(props[18].text, "Cat");
    EXPECT_EQ(props[31].text, "会社");
    EXPECT_EQ(streams(doc)[u"/Data"], data);
}

TEST_F(DocProperties, LeavesTheSecondSetAloneWhenAsked) {
    Bytes doc = compoundFileWith({{kSummaryName, kSummary}, {kDocSummaryName, kDocSummary}});
    PropertyWriteRequest request = ticking({{0, "T"}, {9, "Category"}, {10, "Company"}});
    request.writeDocSummary = false;
    ASSERT_EQ(write(doc, request), kSuccess);
    EXPECT_EQ(streams(doc)[u"/" + kDocSummaryName], kDocSummary);

    Bytes noSecond = compoundFileWith({{kSummaryName, kSummary}});
    ASSERT_EQ(write(noSecond, request, true), kSuccess);
    EXPECT_EQ(streams(noSecond).count(u"/" + kDocSummaryName), 0u);
}

TEST_F(DocProperties, CreatesAMissingSetOnlyWhenAllowed) {
    const Bytes other(5000, std::byte{9});
    const Bytes original = compoundFileWith({{u"WordDocument", other}});
    PropertyWriteRequest request = ticking({{0, "新しい表題"}, {10, "会社"}});
    request.dates = {{1, 2, 3, 4}};

    Bytes doc = original;
    EXPECT_EQ(write(doc, request), kNoSummary);
    EXPECT_EQ(doc, original);

    ASSERT_EQ(write(doc, request, true), kSuccess);
    props::DocProperties props;
    ASSERT_EQ(read(doc, props), kSuccess);
    ASSERT_EQ(props.size(), 33u);
    EXPECT_EQ(props[0].text, "新しい表題");
    EXPECT_EQ(props[31].text, "会社");
    for (std::size_t i = kFirstDateIndex; i < kFirstDateIndex + kDateCount; ++i) {
        EXPECT_FALSE(props[i].isTime) << i;
    }
    EXPECT_EQ(streams(doc)[u"/WordDocument"], other);
    PropertySetStream created;
    ASSERT_EQ(PropertySetStream::parse(streams(doc)[u"/" + kSummaryName], FMTID_SummaryInformation,
                                       created),
              SetParseStatus::Ok);
    EXPECT_EQ(created.section().codePage(), CP_WINUNICODE);

    Bytes noSecond = compoundFileWith({{kSummaryName, kSummary}});
    EXPECT_EQ(write(noSecond, ticking({{0, "T"}})), kNoDocSummary);
    ASSERT_EQ(read(noSecond, props), kSuccess);
    EXPECT_EQ(props[0].text, "T");  // the first set stays written
}

TEST_F(DocProperties, RefusesTextTheCodePageCannotHoldAndChangesNothing) {
    const Bytes original =
        compoundFileWith({{kSummaryName, kSummary}, {kDocSummaryName, kDocSummary}});
    struct Case {
        PropertyWriteRequest request;
        MessageCode code;
        bool summaryWritten;
    };
    const Case cases[] = {
        {ticking({{0, "Fine"}, {1, "日本"}}), kSummaryWriteFailed, false},
        {ticking({{0, "Fine"}, {9, "Fine"}, {10, "日本"}}), kDocSummaryWriteFailed, true},
    };
    for (const Case& c : cases) {
        Bytes doc = original;
        EXPECT_EQ(write(doc, c.request), c.code);
        EXPECT_EQ(streams(doc)[u"/" + kDocSummaryName], kDocSummary);
        EXPECT_EQ(streams(doc)[u"/" + kSummaryName] != kSummary, c.summaryWritten);
    }
}

TEST_F(DocProperties, NeverRewritesASectionItCouldNotParseCompletely) {
    Bytes damaged = kSummary;
    damaged[48 + 20] = std::byte{0xF0};  // second property's offset beyond the section
    const Bytes original = compoundFileWith({{kSummaryName, damaged}});
    props::DocProperties props;
    ASSERT_EQ(read(original, props), kSuccess);
    EXPECT_EQ(props[2].text, "Author");

    Bytes doc = original;
    EXPECT_EQ(write(doc, ticking({{0, "T"}})), kSummaryWriteFailed);
    EXPECT_EQ(doc, original);
    EXPECT_EQ(write(doc, ticking({})), kNoDocSummary);  // nothing to change: nothing refused
    EXPECT_EQ(doc, original);
}

TEST_F(DocProperties, AddsUserDefinedPropertiesAndKeepsEverythingElse) {
    const Bytes docSummary932 = docSummaryIn(932);
    Bytes doc = compoundFileWith({{kSummaryName, kSummary}, {kDocSummaryName, docSummary932}});
    PropertyWriteRequest request;
    request.writeDocSummary = false;
    request.customEdits = {{"文書番号", props::CustomType::Text, "QV-001"},
                           {"承認日", props::CustomType::Date, "2024-03-05T00:00:00Z"}};
    ASSERT_EQ(write(doc, request), kSuccess);

    EXPECT_EQ(streams(doc)[u"/" + kSummaryName], kSummary);
    const Bytes written = streams(doc)[u"/" + kDocSummaryName];
    const std::size_t firstSection = 28 + 20;  // the header, then one list entry before
    ASSERT_GE(written.size(), docSummary932.size() + 20);
    EXPECT_TRUE(std::equal(docSummary932.begin() + firstSection, docSummary932.end(),
                           written.begin() + firstSection + 20));
    props::DocProperties props;
    props::CustomProperties custom;
    ASSERT_EQ(
        onDocument(doc,
                   [&](storage::CompoundFile& f) { return readDocProperties(f, props, &custom); }),
        kSuccess);
    const std::vector<props::CustomProperty> expected = {
        {"文書番号", props::CustomType::Text, "QV-001", false},
        {"承認日", props::CustomType::Date, "2024-03-05T00:00:00Z", false}};
    EXPECT_EQ(custom.items, expected);
    EXPECT_EQ(custom.status, kSuccess);
    EXPECT_EQ(props[31].text, "Co");

    // A damaged user-defined section reads as such and is never rewritten.
    Bytes damagedStream = written;
    const std::size_t userSection = docSummary932.size() + 20;
    damagedStream[userSection + 6] = std::byte{0xFF};  // a property count past its end
    Bytes damaged = compoundFileWith({{kSummaryName, kSummary}, {kDocSummaryName, damagedStream}});
    const Bytes before = damaged;
    ASSERT_EQ(
        onDocument(damaged,
                   [&](storage::CompoundFile& f) { return readDocProperties(f, props, &custom); }),
        kSuccess);
    EXPECT_EQ(custom.status, kDocSummaryReadFailed);
    EXPECT_TRUE(custom.items.empty());
    EXPECT_EQ(write(damaged, request), kDocSummaryReadFailed);
    EXPECT_EQ(damaged, before);
}

TEST_F(DocProperties, MapsFailuresToOpenADocumentByPath) {
    test::TempFolder folder;
    const std::string document = folder / "a.doc";
    const Bytes bytes = compoundFileWith({{kSummaryName, kSummary}});
    std::ofstream(document, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::ofstream(folder / "text.doc") << std::string(600, 'x');
    std::ofstream(folder / "short.doc") << "\xD0\xCF";
    Bytes truncated = bytes;
    truncated.resize(700);
    std::ofstream(folder / "cut.doc", std::ios::binary)
        .write(reinterpret_cast<const char*>(truncated.data()), 700);

    props::DocProperties props;
    EXPECT_EQ(document::ReadDocProperties(document, props), kSuccess);
    EXPECT_EQ(props.size(), 18u);
    EXPECT_EQ(document::ReadDocProperties(folder / "missing.doc", props), kFileNotFound);
    EXPECT_TRUE(props.empty());
    EXPECT_EQ(document::ReadDocProperties(folder / "text.doc", props), kNotCompoundFile);
    EXPECT_EQ(document::ReadDocProperties(folder / "short.doc", props), kNotCompoundFile);
    EXPECT_EQ(document::ReadDocProperties(folder / "cut.doc", props), kCannotOpenDocument);
    EXPECT_EQ(document::WriteDocProperties(folder / "missing.doc", ticking({{0, "x"}})),
              kFileNotFound);

    {
        std::unique_ptr<io::FileDevice> holder;
        ASSERT_EQ(io::FileDevice::open(document, io::Access::Read, holder), io::OpenStatus::Ok);
        EXPECT_EQ(document::ReadDocProperties(document, props), kCannotOpenDocument);
        EXPECT_EQ(document::WriteDocProperties(document, ticking({{0, "x"}})), kCannotOpenDocument);
    }
    EXPECT_EQ(document::WriteDocProperties(document, ticking({{0, "Via path"}})), kNoDocSummary);
    ASSERT_EQ(document::ReadDocProperties(document, props), kSuccess);
    EXPECT_EQ(props[0].text, "Via path");

    // Without write permission the document is read, and a write is refused untouched.
    std::filesystem::permissions(test::utf8Path(document),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(test::asUnprivilegedUser([&] {
        props::DocProperties read;
        return document::ReadDocProperties(document, read) == kSuccess &&
               read[0].text == "Via path";
    }));
    if (!test::writesIgnorePermissions()) {
        EXPECT_EQ(document::WriteDocProperties(document, ticking({{0, "x"}})), kCannotOpenDocument);
    }
}

}  // namespace
}  // namespace quorvel::compound

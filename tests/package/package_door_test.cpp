// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "document/document_access.h"
#include "package_test_util.h"
#include "support/temp_folder.h"
#include "support/test_data.h"
#include "zip_builder.h"

namespace quorvel::package::testing {
namespace {

using props::DocProperties;
using props::PropertyWriteRequest;

// Every text field ticked, and the four dates.
PropertyWriteRequest everyField() {
    PropertyWriteRequest request;
    const char* texts[] = {"題名",   "件名", "作者", "鍵, 語", "説明", "tmpl.dotx",
                           "保存者", "9",    "App",  "分類",   "会社"};
    for (std::size_t i = 0; i < props::kTextFieldCount; ++i) {
        request.fields[i] = {texts[i], 1};
    }
    // 2 h edit time; 2001-02-03 04:05:06, 2002-..., 2003-... UTC in file-time units.
    request.dates = {72'000'000'000ull, 126'257'643'060'000'000ull, 126'573'003'060'000'000ull,
                     126'888'363'060'000'000ull};
    return request;
}

TEST(PackageDoorTest, TheContainerIsFoundFromTheFirstBytes) {
    test::TempFolder folder;
    const std::string damaged = buildZip({{"[Content_Types].xml", "<Types/>"}}).bytes;
    const struct {
        const char* name;
        std::string bytes;
        props::MessageCode expected;
    } cases[] = {
        {"plain.zip", buildZip({{"readme.txt", "hello"}}).bytes, props::kNotCompoundFile},
        {"cut.docx", damaged.substr(0, damaged.size() - 30), props::kCannotOpenDocument},
        {"text.docx", "PK but not a ZIP", props::kNotCompoundFile},
        {"empty.docx", "", props::kNotCompoundFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder / c.name, c.bytes);
        DocProperties props(3);
        EXPECT_EQ(document::ReadDocProperties(folder / c.name, props), c.expected);
        EXPECT_TRUE(props.empty());
        EXPECT_EQ(document::WriteDocProperties(folder / c.name, everyField()), c.expected);
        EXPECT_EQ(readFile(folder / c.name), c.bytes);
    }
    DocProperties props;
    EXPECT_EQ(document::ReadDocProperties(folder / "missing.docx", props), props::kFileNotFound);
}

TEST(PackageDoorTest, ALockedOrLinkedPackageIsLeftAlone) {
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    quorvel::test::copyOfSampleDocument("pydocx_coreprops.docx", path);
    const std::string original = readFile(path);
    const std::string leftover = folder / ".report.docx.quorvel-a1B2c3";
    writeFile(leftover, "");  // removed only by a write that holds the lock

    writeFile(folder / ".~lock.report.docx#", "someone,host");
    DocProperties props;
    EXPECT_EQ(document::ReadDocProperties(path, props), props::kCannotOpenDocument);
    EXPECT_EQ(document::WriteDocProperties(path, everyField()), props::kCannotOpenDocument);
    std::filesystem::remove(folder / ".~lock.report.docx#");

    ASSERT_EQ(::link(path.c_str(), (folder / "other.docx").c_str()), 0);
    EXPECT_EQ(document::WriteDocProperties(path, everyField()), props::kSummaryWriteFailed);
    EXPECT_EQ(readFile(path), original);
    EXPECT_TRUE(std::filesystem::exists(leftover));
}

TEST(PackageDoorTest, AMissingCorePartIsCreatedOnlyWhenAsked) {
    test::TempFolder folder;
    const std::string path = folder / "nocore.docx";
    quorvel::test::copyOfSampleDocument("pydocx_no_coreprops.docx", path);
    const std::string original = readFile(path);
    const bool force = document::ForceGenerationProperty;

    document::ForceGenerationProperty = false;
    EXPECT_EQ(document::WriteDocProperties(path, everyField()), props::kNoSummary);
    EXPECT_EQ(readFile(path), original);

    document::ForceGenerationProperty = true;
    EXPECT_EQ(document::WriteDocProperties(path, everyField()), props::kSuccess);
    document::ForceGenerationProperty = force;
    DocProperties props;
    ASSERT_EQ(document::ReadDocProperties(path, props), props::kSuccess);
    EXPECT_EQ(props[0].text, "題名");
}

// Through the one door: every field written and read back, the file keeps its mode, and
// every entry other than the property parts keeps its stored bytes.
TEST(PackageDoorTest, EveryFieldRoundTripsAndOtherEntriesStayAsTheyWere) {
    const char* samples[] = {
        "pydocx_coreprops.docx", "pypptx_properties.pptx", "pypptx_embedded.xlsx", "lo_sample.docx",
        "odfpy_simpletable.odt", "odfpy_pythagoras.ods",   "lo_sample.odp"};
    for (const char* name : samples) {
        SCOPED_TRACE(name);
        test::TempFolder folder;
        const std::string path = folder / name;
        quorvel::test::copyOfSampleDocument(name, path);
        ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
        const OpenedZip before(readFile(path));
        ASSERT_EQ(before.status, ZipStatus::Ok) << "sample missing or damaged: " << name;
        DocProperties old;
        ASSERT_EQ(document::ReadDocProperties(path, old), props::kSuccess);

        ASSERT_EQ(document::WriteDocProperties(path, everyField()), props::kSuccess);
        DocProperties props;
        ASSERT_EQ(document::ReadDocProperties(path, props), props::kSuccess);
        ASSERT_EQ(props.size(), props::kCatalogueSize);
        const PropertyWriteRequest request = everyField();
        for (std::size_t i = 0; i < props::kTextFieldCount; ++i) {
            const std::size_t row = i < props::kSummaryTextFieldCount
                                        ? props::TextFieldSlots[i]
                                        : props::kSummaryBlockSize + props::TextFieldSlots[i];
            EXPECT_EQ(props[row].text, request.fields[i].text) << "row " << row;
        }
        for (std::size_t i = 0; i < props::kDateCount; ++i) {
            const std::size_t row = props::kFirstDateIndex + i;
            // A date is replaced where the document has one, as in a compound document.
            EXPECT_EQ(props[row].time, old[row].isTime ? (*request.dates)[i] : 0) << "row " << row;
        }
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0604u);
        const OpenedZip after(readFile(path));
        ASSERT_EQ(after.status, ZipStatus::Ok);
        for (const std::string& entry : before.package->entryNames()) {
            const bool propertyPart =
                entry == "docProps/core.xml" || entry == "docProps/app.xml" || entry == "meta.xml";
            if (!propertyPart) {
                EXPECT_EQ(storedBytes(*after.package, entry), storedBytes(*before.package, entry))
                    << entry;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::package::testing

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_apply.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "document/document_access.h"
#include "export_records.h"
#include "support/temp_folder.h"
#include "support/test_data.h"
#include "support/time_zone_scope.h"

namespace quorvel::csv {
namespace {

class CsvApply : public ::testing::Test {
  protected:
    void SetUp() override { test::useTimeZone("Asia/Tokyo"); }
};

std::vector<std::vector<std::string>> fieldsOf(const std::vector<CsvRecord>& records) {
    std::vector<std::vector<std::string>> fields;
    for (const CsvRecord& record : records) {
        fields.push_back(record.fields);
    }
    return fields;
}

TEST_F(CsvApply, SplitsRecordsAsRfc4180HasThem) {
    struct Case {
        std::string text;
        std::vector<std::vector<std::string>> fields;
        std::vector<std::size_t> lines;
    };
    const Case cases[] = {
        {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"a,b\r\n\r\nc,\r\n", {{"a", "b"}, {"c", ""}}, {1, 3}},
        {"\"x,\"\"y\"\"\",\"two\nlines\"\nz", {{"x,\"y\"", "two\nlines"}, {"z"}}, {1, 3}},
        {"a\rb,c", {{"a\rb", "c"}}, {1}},
        {"", {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<CsvRecord> records;
        CsvError error;
        ASSERT_TRUE(parseCsvRecords(c.text, records, error)) << c.text;
        EXPECT_EQ(fieldsOf(records), c.fields) << c.text;
        for (std::size_t i = 0; i < c.lines.size() && i < records.size(); ++i) {
            EXPECT_EQ(records[i].line, c.lines[i]) << c.text;
        }
    }
    for (const auto& [text, line] :
         {std::pair<std::string, std::size_t>{"a\n\"open\nb", 2}, {"a\nb,\"q\"x", 2}}) {
        std::vector<CsvRecord> records;
        CsvError error;
        EXPECT_FALSE(parseCsvRecords(text, records, error)) << text;
        EXPECT_EQ(error.line, line) << text;
    }
}

TEST_F(CsvApply, GuessesTheEncodingOrTakesTheOneGiven) {
    const std::string title = "表題";
    const std::string cp932 = "\x95\x5c\x91\xe8";
    struct Case {
        std::string bytes;
        CsvInputEncoding encoding;
        bool ok;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF" + title, CsvInputEncoding::Auto, true},
        {title, CsvInputEncoding::Auto, true},
        {cp932, CsvInputEncoding::Auto, true},
        {cp932, CsvInputEncoding::Cp932, true},
        {cp932, CsvInputEncoding::Utf8, false},
        {"\x81", CsvInputEncoding::Auto, false},  // a lead byte without its trail
    };
    for (const Case& c : cases) {
        std::string text;
        CsvError error;
        EXPECT_EQ(decodeCsvText(c.bytes, c.encoding, text, error), c.ok) << c.bytes;
        if (c.ok) {
            EXPECT_EQ(text, title) << c.bytes;
        }
    }
}

TEST_F(CsvApply, ReadsDatesInEachFormItAccepts) {
    const std::optional<std::int64_t> none;
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"2006/03/05 14:07:05", kUnix20060305140705Jst},
        {"2006-03-05 14:07:05", kUnix20060305140705Jst},
        {"2006-03-05T14:07:05", kUnix20060305140705Jst},
        {"2006-03-05T05:07:05Z", kUnix20060305140705Jst},
        {"2006-03-05T14:07:05+09:00", kUnix20060305140705Jst},
        {"2006-03-04T23:07:05-0600", kUnix20060305140705Jst},
        {"2006/02/29 00:00:00", none},
        {"2006-03-05T14:07:05+9", none},
        {"2006/03/05 24:00:00", none},
        {"2006/03/05 14:07", none},
        {"1600/12/31 23:59:59", none},
        {"", none},
    };
    for (const auto& [text, seconds] : cases) {
        EXPECT_EQ(parseDateTimeText(text), seconds) << text;
    }
    // A stored year past 9999 reads as the export writes it (where the system's local time
    // reaches that far; elsewhere the export leaves the field empty).
    constexpr std::int64_t kFar = 1420548224891;  // 46985/05/19 18:08:11 in Tokyo
    if (const std::optional<std::string> shown = formatLocalTime(kFar)) {
        EXPECT_EQ(parseDateTimeText(*shown), kFar) << *shown;
    }
}

TEST_F(CsvApply, RefusesEachMalformedSheetNamingItsLine) {
    const test::TempFolder folder;
    const std::string a = folder / "a.doc";
    const std::string aAgain = folder / "./a.doc";
    struct Case {
        std::string text;
        std::size_t line;
        std::string named;  // a part of the message
    };
    const Case cases[] = {
        {"", 0, "列名"},
        {"ファイル名,Titel\n" + a + ",x\n", 1, "Titel"},
        {"ファイル名,Title,Title\n", 1, "Title"},
        {"Title,No\nx,1\n", 1, "ファイル名"},
        {"ファイル名,Title\n" + a + ",x,y\n", 2, "多く"},
        {"ファイル名,Title\n" + a + "\n", 2, "少なく"},
        {"ファイル名,作成日時\n" + a + ",2006/13/01 00:00:00\n", 2, "作成日時"},
        {"ファイル名,ファイル変更日時\n" + a + ",yesterday\n", 2, "ファイル変更日時"},
        {"ファイル名\n" + a + "\n" + aAgain + "\n", 3, "2 行目"},
        {"ファイル名,Title\n,x\n", 2, "ファイル名"},
        {"ファイル名\n\"" + a + "\n", 2, "引用符"},
    };
    for (const Case& c : cases) {
        ApplySheet sheet;
        CsvError error;
        EXPECT_FALSE(readApplySheet(c.text, CsvInputEncoding::Auto, sheet, error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.message.find(c.named), std::string::npos) << error.message;
    }
}

// The export's own file applies as nothing at all; each edited cell becomes one change, or an
// ignored one where the field cannot be written.
TEST_F(CsvApply, ComparesEachCellWithTheFile) {
    const ExportRecord file = record("/d/a.doc", fullProperties());
    ApplySheet sheet;
    CsvError error;
    ASSERT_TRUE(
        readApplySheet(formatCsv({file}, CsvEncoding::Utf8), CsvInputEncoding::Auto, sheet, error))
        << error.message;
    ASSERT_EQ(sheet.rows.size(), 1u);
    EXPECT_FALSE(changesFor(sheet, sheet.rows[0], file.properties, file.times).any());

    struct Case {
        const char* column;
        std::string value;
        bool written;  // else ignored
    };
    const Case cases[] = {
        {"Title", "新しい題", true},
        {"会社", "", true},
        {"作成日時", "2006-03-05T05:07:06Z", true},
        {"最終保存日時", "2006/03/05 14:07:06", false},  // the same moment: no change
        {"最終印刷日時", "2020/01/01 00:00:00", false},  // the document has none
        {"作成日時", "", false},                         // a date cannot be cleared
        {"頁数", "99", false},
        {"ファイル変更日時", "2024-01-02 12:04:06", true},
    };
    for (const Case& c : cases) {
        ApplySheet edited = sheet;
        const auto column =
            std::find_if(edited.columns.begin(), edited.columns.end(),
                         [&](const ApplyColumn& col) { return col.name == c.column; });
        ASSERT_NE(column, edited.columns.end()) << c.column;
        edited.rows[0].values[static_cast<std::size_t>(column - edited.columns.begin())] = c.value;
        const FileChanges changes = changesFor(edited, edited.rows[0], file.properties, file.times);
        const std::vector<FieldChange>& list = c.written ? changes.changes : changes.ignored;
        const std::size_t others = c.written ? changes.ignored.size() : changes.changes.size();
        const bool same = std::string(c.column) == "最終保存日時";
        EXPECT_EQ(list.size(), same ? 0u : 1u) << c.column;
        EXPECT_EQ(others, 0u) << c.column;
        EXPECT_EQ(changes.any(), c.written) << c.column;
    }
}

// A PDF's export applies back as no change; a cell of a field PDF has no place for is ignored
// with its reason, the others are written. The access time is left out: reading may move it.
TEST_F(CsvApply, APdfIgnoresTheFieldsItHasNoPlaceFor) {
    test::TempFolder folder;
    ExportRecord file{folder / "a.pdf", {}, {}, {}};
    test::copyOfSampleDocument("pikepdf_fourpages.pdf", file.path);
    ASSERT_EQ(readFileForApply(file.path, file.properties, file.times), props::kSuccess);
    ApplySheet sheet;
    CsvError error;
    ASSERT_TRUE(
        readApplySheet(formatCsv({file}, CsvEncoding::Utf8), CsvInputEncoding::Auto, sheet, error))
        << error.message;
    const auto columnOf = [&sheet](std::string_view name) {
        const auto found = std::find_if(sheet.columns.begin(), sheet.columns.end(),
                                        [&](const ApplyColumn& c) { return c.name == name; });
        return static_cast<std::size_t>(found - sheet.columns.begin());
    };
    const std::size_t accessed = columnOf("ファイルアクセス日時");
    sheet.columns.erase(sheet.columns.begin() + static_cast<std::ptrdiff_t>(accessed));
    sheet.rows[0].values.erase(sheet.rows[0].values.begin() +
                               static_cast<std::ptrdiff_t>(accessed));
    const RowPreview same = previewRow(sheet, sheet.rows[0]);
    ASSERT_EQ(same.code, props::kSuccess);
    EXPECT_EQ(same.kind, props::DocumentKind::Pdf);
    EXPECT_FALSE(same.changes.any());

    const struct {
        const char* column;
        bool written;
    } cases[] = {{"Title", true},    {"会社", true},  {"KeyWord", true},
                 {"Comment", false}, {"分類", false}, {"最終保存者", false}};
    for (const auto& c : cases) {
        ApplySheet edited = sheet;
        edited.rows[0].values.at(columnOf(c.column)) = "新しい値";
        const FileChanges changes = previewRow(edited, edited.rows[0]).changes;
        EXPECT_EQ(changes.any(), c.written) << c.column;
        ASSERT_EQ((c.written ? changes.changes : changes.ignored).size(), 1u) << c.column;
        EXPECT_EQ(changes.ignored.empty() ? "" : changes.ignored[0].reason,
                  c.written ? "" : "PDFにこの項目の置き場所がありません。")
            << c.column;
    }
}

using CorpusApply = test::CorpusSweep;

// The export of every readable document of the corpus applies back as no change at all.
TEST_F(CorpusApply, EachDocumentsExportAppliesAsNoChange) {
    test::useTimeZone("Asia/Tokyo");
    std::vector<ExportRecord> records;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus())) {
        ExportRecord record{entry.path().string(), {}, {}, {}};
        platform::FileStatus status;
        if (entry.is_regular_file() && platform::queryFileStatus(record.path, status) &&
            document::ReadDocProperties(record.path, record.properties) == props::kSuccess) {
            record.times = status.times;
            records.push_back(std::move(record));
        }
    }
    ApplySheet sheet;
    CsvError error;
    ASSERT_TRUE(
        readApplySheet(formatCsv(records, CsvEncoding::Utf8), CsvInputEncoding::Auto, sheet, error))
        << error.line << ": " << error.message;
    EXPECT_GT(sheet.rows.size(), 50u);
    for (const ApplyRow& row : sheet.rows) {
        const RowPreview preview = previewRow(sheet, row);
        EXPECT_EQ(preview.code, props::kSuccess) << row.path;
        EXPECT_FALSE(preview.changes.any()) << row.path;
    }
}

}  // namespace
}  // namespace quorvel::csv

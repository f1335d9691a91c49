// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_format.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "export_records.h"
#include "platform/system_error.h"
#include "support/error_codes.h"
#include "support/file_contents.h"
#include "support/time_zone_scope.h"
#include "support/utf8_path.h"

namespace quorvel::csv {
namespace {

namespace fs = std::filesystem;
using test::TimeZoneScope;

// The header in code page 932, as the users' spreadsheets expect it.
const std::string kHeaderBytes =
    "No,\x83t\x83@\x83\x43\x83\x8b\x96\xbc,Title,\x95\x5c\x91\xe8,\x8c\xb3\x8d\xec\x90\xac\x8e\xd2,"
    "KeyWord,Comment,Template,\x8d\xc5\x8fI\x95\xdb\x91\xb6\x8e\xd2,\x89\xfc\x92\xf9,App\x96\xbc,"
    "\x95\xaa\x97\xde,\x95\xd2\x8fW\x93\xfa\x8e\x9e,\x8d\xc5\x8fI\x88\xf3\x8d\xfc\x93\xfa\x8e\x9e,"
    "\x8d\xec\x90\xac\x93\xfa\x8e\x9e,\x8d\xc5\x8fI\x95\xdb\x91\xb6\x93\xfa\x8e\x9e,"
    "\x89\xef\x8e\xd0,"
    "\x95\xc5\x90\x94,\x92P\x8c\xea\x90\x94,\x95\xb6\x8e\x9a\x90\x94,\x8ds\x90\x94,"
    "\x92i\x97\x8e\x90"
    "\x94,\x83t\x83@\x83\x43\x83\x8b\x8d\xec\x90\xac\x93\xfa\x8e\x9e,\x83t\x83@\x83\x43\x83\x8b\x83"
    "\x41\x83N\x83Z\x83X\x93\xfa\x8e\x9e,\x83t\x83@\x83\x43\x83\x8b\x95\xcf\x8dX\x93\xfa\x8e\x9e\n";

// The tail of a line of fullProperties() with the times of record(), in Tokyo time.
const std::string kFullProperties =
    ",r0,r1,r2,r3,r4,r5,r6,r7,r16,r18,1601/01/01 11:00:00,,2006/03/05 14:07:05,"
    "2006/03/05 14:07:06,r31,r12,r13,r14,r21,r22";
const std::string kFileTimes = ",2006/03/05 14:07:05,2024/01/02 12:04:05,2023/12/25 08:59:59\n";

TEST(CsvFormat, HeaderAndFieldsByteForByte) {
    TimeZoneScope tokyo("Asia/Tokyo");

    props::DocProperties summaryOnly = fullProperties();
    summaryOnly.resize(props::kSummaryBlockSize);
    props::DocProperties japanese = fullProperties();
    japanese[0].text = "表計算 第2版";  // 表 ends in byte 0x5C, which needs no quotes
    japanese[1].text = "①～€😀";         // CP932 has no euro sign and no emoji
    ExportRecord noBirthTime = record("/d/n.doc", fullProperties());
    noBirthTime.times.createdRecorded = false;

    const struct {
        const char* name;
        ExportRecord record;
        std::string line;
    } cases[] = {
        {"both sets", record("/d/a.doc", fullProperties()),
         "1,/d/a.doc" + kFullProperties + kFileTimes},
        {"no DocumentSummaryInformation", record("/d/b.xls", summaryOnly),
         "1,/d/b.xls,r0,r1,r2,r3,r4,r5,r6,r7,r16,,1601/01/01 11:00:00,,2006/03/05 14:07:05,"
         "2006/03/05 14:07:06,,r12,r13,r14,,," +
             kFileTimes.substr(1)},
        {"nothing read", record("/d/c.ppt", {}), "1,/d/c.ppt" + std::string(20, ',') + kFileTimes},
        {"Japanese path and values", record("/データ/報告 書.doc", japanese),
         "1,/\x83\x66\x81[\x83^/\x95\xf1\x8d\x90 \x8f\x91.doc,\x95\x5c\x8cv\x8eZ \x91\xe6\x32\x94"
         "\xc5,\x87@\x81`??,r2,r3,r4,r5,r6,r7,r16,r18,1601/01/01 11:00:00,,2006/03/05 "
         "14:07:05,"
         "2006/03/05 14:07:06,r31,r12,r13,r14,r21,r22" +
             kFileTimes},
        {"no birth time recorded", noBirthTime,
         "1,/d/n.doc" + kFullProperties + ",,2024/01/02 12:04:05,2023/12/25 08:59:59\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatCsv({c.record}), kHeaderBytes + c.line) << c.name;
    }
}

TEST(CsvFormat, FieldsWithSeparatorsQuotesOrLineBreaksAreQuoted) {
    TimeZoneScope tokyo("Asia/Tokyo");
    const struct {
        std::string value;
        std::string field;
    } cases[] = {
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"line 1\nline 2", "\"line 1\nline 2\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"表, 第2版", "\"\x95\x5c, \x91\xe6\x32\x94\xc5\""},  // quoted, then code page 932
        {"plain 'single'; tab\t", "plain 'single'; tab\t"},
        {"", ""},
    };
    for (const auto& c : cases) {
        // The path, the title, the comment and the company carry the value.
        props::DocProperties properties = fullProperties();
        properties[0].text = properties[4].text = properties[31].text = c.value;
        const std::string& f = c.field;
        EXPECT_EQ(formatCsv({record(c.value, properties)}),
                  kHeaderBytes + "1," + f + "," + f + ",r1,r2,r3," + f +
                      ",r5,r6,r7,r16,r18,1601/01/01 11:00:00,,2006/03/05 14:07:05,"
                      "2006/03/05 14:07:06," +
                      f + ",r12,r13,r14,r21,r22" + kFileTimes)
            << c.value;
    }
}

TEST(CsvFormat, Utf8FilesStartWithAByteOrderMarkAndKeepEveryCharacter) {
    TimeZoneScope tokyo("Asia/Tokyo");
    props::DocProperties properties = fullProperties();
    properties[0].text = "€😀, ①";
    const std::vector<ExportRecord> records{record("/データ/€.doc", properties)};
    const std::string utf8 = formatCsv(records, CsvEncoding::Utf8);
    EXPECT_EQ(utf8, "\xEF\xBB\xBF" + std::string(kCsvHeader) + "\n1,/データ/€.doc,\"€😀, ①\"" +
                        kFullProperties.substr(3) + kFileTimes);
    EXPECT_EQ(formatCsv(records, CsvEncoding::Cp932), formatCsv(records));

    EXPECT_EQ(csvEncodingNamed("cp932"), CsvEncoding::Cp932);
    EXPECT_EQ(csvEncodingNamed("utf-8"), CsvEncoding::Utf8);
    EXPECT_EQ(csvEncodingNamed("UTF-16"), std::nullopt);
    EXPECT_EQ(csvEncodingNamed(""), std::nullopt);
}

TEST(CsvFormat, LinesAreNumberedFromOneInListOrder) {
    TimeZoneScope tokyo("Asia/Tokyo");
    const std::string csv =
        formatCsv({record("/x/1.doc", {}), record("/x/2.doc", {}), record("/x/3.doc", {})});
    const std::string lineTail =
        std::string(20, ',') + ",2006/03/05 14:07:05,2024/01/02 12:04:05,2023/12/25 08:59:59\n";
    EXPECT_EQ(csv, kHeaderBytes + "1,/x/1.doc" + lineTail + "2,/x/2.doc" + lineTail + "3,/x/3.doc" +
                       lineTail);
    EXPECT_EQ(formatCsv({}), kHeaderBytes);
}

TEST(CsvFormat, TimesFollowTheRulesInForceAtTheirDate) {
    QUORVEL_SKIP_UNLESS_TIME_ZONE("Europe/Berlin");
    TimeZoneScope berlin("Europe/Berlin");
    ExportRecord summerAndWinter = record("/b.doc", {});
    summerAndWinter.times = {1151755200, 1136116800, 1151755200,
                             true};  // 1 July, 1 January, 12:00 UTC
    EXPECT_EQ(formatCsv({summerAndWinter}),
              kHeaderBytes + "1,/b.doc" + std::string(20, ',') +
                  ",2006/07/01 14:00:00,2006/01/01 13:00:00,2006/07/01 14:00:00\n");
}

class CsvFile : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("quorvel-csv-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

TEST_F(CsvFile, ReplacesAnExistingFileWithoutTranslation) {
    TimeZoneScope tokyo("Asia/Tokyo");
    const fs::path file = m_folder / "出力 一覧.csv";
    std::ofstream(file, std::ios::binary) << std::string(10000, 'x');
    const std::vector<ExportRecord> records{record("/d/a.doc", fullProperties())};
    std::string error;
    ASSERT_TRUE(writeCsvFile(test::utf8String(file), records, error)) << error;
    EXPECT_EQ(test::fileContents(file), formatCsv(records));
}

TEST_F(CsvFile, FailuresCarryThePlatformText) {
    const struct {
        std::string path;
        int errorNumber;
    } cases[] = {
        {"/dev/full", test::kDiskFullError},  // opens, then every write fails: a full disk
        {test::utf8String(m_folder), test::kIsAFolderError},
        {test::utf8String(m_folder / "missing/out.csv"), test::kNoSuchFolderError},
    };
    for (const auto& c : cases) {
        if (c.path == "/dev/full" && !fs::exists(c.path)) {
            continue;  // Windows has none
        }
        std::string error;
        EXPECT_FALSE(writeCsvFile(c.path, {record("/d/a.doc", {})}, error)) << c.path;
        EXPECT_EQ(error, platform::systemError(c.errorNumber).text) << c.path;
    }
}

}  // namespace
}  // namespace quorvel::csv

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <sstream>

#include "cli/command.h"
#include "document/document_access.h"
#include "export/csv_format.h"
#include "export_documents.h"
#include "platform/system_error.h"
#include "support/error_codes.h"
#include "support/time_zone_scope.h"

namespace quorvel::cli {
namespace {

using test::ExportDocuments;

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result runExportCommand(const Arguments& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runExport(args, out, err);
    return {status, out.str(), err.str()};
}

// The CSV of documents read directly, with the times they had before the export.
std::string csvOf(const std::vector<std::pair<std::string, platform::FileTimes>>& files,
                  csv::CsvEncoding encoding = csv::CsvEncoding::Cp932) {
    std::vector<csv::ExportRecord> records;
    for (const auto& [path, times] : files) {
        csv::ExportRecord record{path, {}, times, {}};
        EXPECT_EQ(document::ReadDocProperties(path, record.properties), props::kSuccess) << path;
        records.push_back(std::move(record));
    }
    return csv::formatCsv(records, encoding);
}

class ExportCommand : public ::testing::Test {
  protected:
    test::TimeZoneScope m_tokyo{"Asia/Tokyo"};
    ExportDocuments documents;
};

TEST_F(ExportCommand, UnreadableFilesAreReportedAndLeftOut) {
    const std::string both = documents.bothSets("報告 書.doc");
    const std::string text = documents.notCompound("memo.doc");
    const std::string summary = documents.summaryOnly("--表.xls");
    const std::string output = documents / "出力 一覧.csv";
    const platform::FileTimes bothTimes = ExportDocuments::settleTimes(both);
    const platform::FileTimes summaryTimes = ExportDocuments::settleTimes(summary);

    const Result result =
        runExportCommand({"--out", output, both, text, documents / "gone.doc", "--", summary});
    EXPECT_EQ(result.status, kExitFailed);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "quorvel-cli export: " + text + ": 103 合成ファイルが見つかりません。\n" +
                              "quorvel-cli export: " + documents / "gone.doc" +
                              ": 102 ファイルが見つかりません。\n");
    EXPECT_EQ(ExportDocuments::contents(output),
              csvOf({{both, bothTimes}, {summary, summaryTimes}}));

    const platform::FileTimes again = ExportDocuments::settleTimes(both);
    EXPECT_EQ(runExportCommand({"--out", output, both}).status, kExitOk);
    EXPECT_EQ(ExportDocuments::contents(output), csvOf({{both, again}}));
}

TEST_F(ExportCommand, ReadsManyFilesAtOnceAndKeepsTheirOrder) {
    Arguments files;
    const std::string text = documents.notCompound("memo.doc");
    for (int i = 0; i < 40; ++i) {
        // Appended piece by piece: GCC 12 -O3 warns about "f" + std::to_string(i).
        std::string name = "f";
        name += std::to_string(i) + ".doc";
        files.push_back(i % 6 == 2   ? text
                        : i % 9 == 4 ? documents / ("gone " + name)
                        : i % 2 == 0 ? documents.bothSets(name)
                                     : documents.summaryOnly(name));
        // An access time ahead of the change time stays as it is when the file is read, so
        // that every run finds the same times.
        platform::SystemError error;
        const std::int64_t now = std::time(nullptr);
        platform::setAccessAndModifyTimes(files.back(), now + 3600, now - 3600, error);
    }
    auto exportWith = [&](const std::string& jobs, const std::string& output) {
        Arguments args = {"-j", jobs, "--out", documents / output};
        args.insert(args.end(), files.begin(), files.end());
        return runExportCommand(args);
    };
    const Result sequential = exportWith("1", "one.csv");
    EXPECT_EQ(sequential.status, kExitFailed);
    for (const std::string jobs : {"3", "32"}) {
        const Result parallel = exportWith(jobs, jobs + ".csv");
        EXPECT_EQ(parallel.status, kExitFailed);
        EXPECT_EQ(parallel.err, sequential.err) << jobs << " jobs";
        EXPECT_EQ(ExportDocuments::contents(documents / (jobs + ".csv")),
                  ExportDocuments::contents(documents / "one.csv"))
            << jobs << " jobs";
    }
    std::size_t reported = 0;
    for (std::size_t at = 0;
         (at = sequential.err.find("quorvel-cli export: ", at)) != std::string::npos; ++at) {
        ++reported;
    }
    EXPECT_EQ(reported, 7u + 4u);  // the text file each time it is listed, the missing files
}

TEST_F(ExportCommand, NothingIsWrittenWhenItCannotBeDoneSafely) {
    const std::string document = documents.bothSets("a.doc");
    const std::string before = ExportDocuments::contents(document);
    const std::string output = documents / "out.csv";
    const struct {
        Arguments args;
        int status;
        std::string errorEnd;
    } cases[] = {
        {{}, kExitUsage, "one after the other)\n"},
        {{"--out"}, kExitUsage, "one after the other)\n"},
        {{document}, kExitUsage, "one after the other)\n"},
        {{"--out", output}, kExitUsage, "one after the other)\n"},
        {{"--out", output, "--out", output, document}, kExitUsage, "one after the other)\n"},
        {{"--out", output, "--bogus", document}, kExitUsage, "one after the other)\n"},
        {{"--out", output, "--encoding", "latin1", document}, kExitUsage, "one after the other)\n"},
        {{"--out", output, document, "--encoding"}, kExitUsage, "one after the other)\n"},
        {{"--encoding", "utf-8", "--encoding", "cp932", "--out", output, document},
         kExitUsage,
         "one after the other)\n"},
        {{"--out", output, "-j", "0", document}, kExitUsage, "one after the other)\n"},
        {{"--out", output, document, "-j"}, kExitUsage, "one after the other)\n"},
        {{"--out", output, documents.notCompound("x.doc")}, kExitFailed, "was not written\n"},
        {{"--out", document, document}, kExitFailed, "it was not overwritten\n"},
        {{"--out", "/dev/full", document},
         kExitFailed,
         "/dev/full: " + platform::systemError(test::kDiskFullError).text + "\n"},
    };
    for (const auto& c : cases) {
        const Result result = runExportCommand(c.args);
        EXPECT_EQ(result.status, c.status) << ::testing::PrintToString(c.args);
        EXPECT_TRUE(result.err.ends_with(c.errorEnd)) << result.err;
        EXPECT_FALSE(std::filesystem::exists(output)) << ::testing::PrintToString(c.args);
    }
    EXPECT_EQ(ExportDocuments::contents(document), before);

    const Result help = runExportCommand({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_TRUE(help.out.starts_with(
        "usage: quorvel-cli export [-j N] [--encoding cp932|utf-8] [--custom] --out FILE.csv "
        "FILE...\n"));
}

TEST_F(ExportCommand, EncodingChoosesTheBytesOfTheFile) {
    const std::string document = documents.bothSets("€ 報告.doc");  // no euro sign in CP932
    const std::string output = documents / "out.csv";
    const struct {
        Arguments encodingArgs;
        csv::CsvEncoding encoding;
    } cases[] = {
        {{}, csv::CsvEncoding::Cp932},
        {{"--encoding", "cp932"}, csv::CsvEncoding::Cp932},
        {{"--encoding", "utf-8"}, csv::CsvEncoding::Utf8},
    };
    for (const auto& c : cases) {
        Arguments args = c.encodingArgs;
        args.insert(args.end(), {"--out", output, document});
        const platform::FileTimes times = ExportDocuments::settleTimes(document);
        EXPECT_EQ(runExportCommand(args).status, kExitOk);
        EXPECT_EQ(ExportDocuments::contents(output), csvOf({{document, times}}, c.encoding))
            << ::testing::PrintToString(args);
    }
    EXPECT_TRUE(ExportDocuments::contents(output).starts_with("\xEF\xBB\xBFNo,ファイル名,"));
    EXPECT_NE(ExportDocuments::contents(output).find("/€ 報告.doc,"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::cli

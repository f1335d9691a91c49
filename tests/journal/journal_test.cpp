// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../export/export_records.h"
#include "journal/journal_files.h"
#include "journal/run_journal.h"
#include "journal/undo_run.h"
#include "support/environment.h"
#include "support/temp_folder.h"
#include "support/time_zone_scope.h"

namespace quorvel::journal {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(JournalFiles, NamesRunsByTheirStartAndReadsTheNamesBack) {
    EXPECT_EQ(runFolderName(1796716772447), "20261208-075932-447");
    EXPECT_EQ(runStartOf("20261208-075932-447"), 1796716772);
    EXPECT_EQ(runFolderName(0), "19700101-000000-000");
    for (const char* other : {"20261308-075932-447", "20261208-075932-44", "20261208-075932-447x",
                              ".20261208-075932-447.partial", "notes"}) {
        EXPECT_EQ(runStartOf(other), std::nullopt) << other;
    }
    EXPECT_TRUE(isPartialRunName(partialRunName("/j/20261208-075932-447").string()));
}

TEST(JournalFiles, ReadsTheMarksAndPassesOverTornOrForeignLines) {
    const Marks marks = parseMarks("W 0\nT 0 1700000000\nW 2\nW 9\nX 1\nW x\nT 2 -5\nW 1", 3);
    EXPECT_EQ(marks.written, (std::vector<bool>{true, false, true}));  // "W 1" is torn
    EXPECT_EQ(marks.modified[0], 1700000000);
    EXPECT_EQ(marks.modified[1], std::nullopt);
    EXPECT_EQ(marks.modified[2], -5);
    RunKind kind{};
    for (const RunKind each : {RunKind::PropertyChange, RunKind::FolderUndo, RunKind::Undo}) {
        EXPECT_TRUE(parseRunFile(runFileText(each, 4), kind));
        EXPECT_EQ(kind, each);
    }
    EXPECT_FALSE(parseRunFile("kind=other\n", kind));
}

class Journal : public ::testing::Test {
  protected:
    void SetUp() override {
        test::useTimeZone("Asia/Tokyo");
        test::setEnvironment("QUORVEL_JOURNAL_DIR", m_root.path());
    }
    void TearDown() override { test::setEnvironment("QUORVEL_JOURNAL_DIR", ""); }
    test::TempFolder m_root;
};

TEST_F(Journal, RecordsTheValuesBeforeAndAfterOnlyWhenSomethingChanges) {
    std::string error;
    const std::string path = m_root / "a.doc";  // absolute, as the journal writes it
    const csv::ExportRecord record = csv::record(path, csv::fullProperties());
    EXPECT_EQ(RunJournal::begin(RunKind::CsvApply, {{record, {}}}, error), nullptr);
    EXPECT_EQ(error, "");
    EXPECT_FALSE(fs::exists(fs::path(m_root.path()) / "x"));

    props::PropertyWriteRequest request;
    request.fields[0] = {"新しい題", 1};
    const auto changes = requestedChanges(request, {0, 0, csv::kUnix20231225085959Jst, false});
    const auto journal = RunJournal::begin(RunKind::PropertyChange, {{record, changes}}, error);
    ASSERT_NE(journal, nullptr) << error;
    ASSERT_TRUE(journal->markThrough(0));
    ASSERT_TRUE(journal->markThrough(0));  // once
    journal->recordResult(0, 42);
    const fs::path folder = journal->folder();
    const std::string header =
        "\xEF\xBB\xBFファイル名,Title,ファイル作成日時,ファイルアクセス日時,ファイル変更日時\n";
    EXPECT_EQ(readAll(folder / kBeforeFile),
              header + path + ",r0,2006/03/05 14:07:05,2024/01/02 12:04:05,2023/12/25 08:59:59\n");
    EXPECT_EQ(readAll(folder / kAfterFile), header + path + ",新しい題,,,\n");
    EXPECT_EQ(readAll(folder / kMarksFile), "W 0\n");  // the result waits for the next mark
}

TEST_F(Journal, KeepsTheLastFiftyRunsOrThirtyDaysWhicheverIsMore) {
    const std::int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    constexpr std::int64_t kDay = 86'400'000;
    struct Case {
        int recent, old;
        std::size_t kept;  // with the new run
    };
    for (const Case c : {Case{55, 10, 56}, Case{5, 60, 50}}) {
        const fs::path root = fs::path(m_root.path()) / std::to_string(c.recent);
        test::setEnvironment("QUORVEL_JOURNAL_DIR", root.string());
        fs::create_directories(root / ".20000101-000000-000.partial");  // may be being recorded
        for (int i = 0; i < c.recent + c.old; ++i) {
            fs::create_directory(root / runFolderName(now - (i < c.recent ? 10 : 40) * kDay - i));
        }
        std::string error;
        props::PropertyWriteRequest request;
        request.fields[0] = {"x", 1};
        ASSERT_NE(RunJournal::begin(RunKind::CommandWrite,
                                    {{csv::record("/d/a.doc", {}), requestedChanges(request, {})}},
                                    error),
                  nullptr)
            << error;
        std::size_t runs = 0;
        for (const auto& entry : fs::directory_iterator(root)) {
            runs += runStartOf(entry.path().filename().string()) ? 1 : 0;
        }
        EXPECT_EQ(runs, c.kept);
        EXPECT_TRUE(fs::exists(root / ".20000101-000000-000.partial"));
    }
}

}  // namespace
}  // namespace quorvel::journal

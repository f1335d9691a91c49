// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <ctime>
#endif

#include "../compound/compound_document.h"
#include "cli/cli_text.h"
#include "cli/command.h"
#include "support/disk_times.h"
#include "support/environment.h"
#include "support/temp_folder.h"
#include "support/test_data.h"
#include "support/time_zone_scope.h"
#include "support/utf8_path.h"

namespace quorvel::cli {
namespace {

using namespace compound::testing;

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        test::useTimeZone("Asia/Tokyo");
        test::setEnvironment("QUORVEL_JOURNAL_DIR", m_folder / "journal");
    }
    struct Result {
        int status;
        std::string out;
        std::string err;
    };
    static Result run(int (*command)(const Arguments&, std::ostream&, std::ostream&),
                      Arguments args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = command(args, out, err);
        return {status, out.str(), err.str()};
    }
    // A document with a Japanese title, an edit time and a page count, in cp932.
    std::string makeDocument(const std::string& name) {
        const Bytes summary = summaryStream({{1, i2(932)},
                                             {2, string("\x95\x5c\x91\xe8")},
                                             {12, fileTime(126939892290000000)},
                                             {14, i4(3)}});
        const Bytes bytes = compoundFileWith({{kSummaryName, summary}});
        const std::string path = m_folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    test::TempFolder m_folder;
};

TEST_F(Cli, EscapesJsonStrings) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"say \"hi\" \\ bye", "say \\\"hi\\\" \\\\ bye"},
        {"a\nb\tc\x01", "a\\u000ab\\u0009c\\u0001"},
        {"表題 ü", "表題 ü"},
        {"bad\xff\xc3", "bad\\ufffd\\ufffd"},
        {"\xc0\xaf", "\\ufffd\\ufffd"},             // overlong '/'
        {"\xed\xa0\x80", "\\ufffd\\ufffd\\ufffd"},  // surrogate
        {"", ""},
        {"\"", "\\\""},
        {"del\x7f~ x\x1f", "del\x7f~ x\\u001f"},
        {"ab表\\cd\xe8\x1f", "ab表\\\\cd\\ufffd\\u001f"},  // cut sequence before a control
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(jsonEscaped(text), escaped) << text;
        std::string appended = "{\"";
        appendJsonEscaped(appended, text);
        EXPECT_EQ(appended, "{\"" + escaped) << text;
    }
}

TEST_F(Cli, ShowsOutcomesAndLocalTimes) {
    EXPECT_EQ(outcomeText(0), "0 OK");
    EXPECT_EQ(outcomeText(106), "106 Summary情報がありません。");
    EXPECT_EQ(localTimeText(126939892290000000), "2003/04/05 13:07:09");
    EXPECT_EQ(localTimeText(72000000000), "1601/01/01 11:00:00");  // a two-hour edit time
}

TEST_F(Cli, RefusesBadUsage) {
    const Arguments cases[] = {
        {},
        {"--title"},
        {"--title", "x"},
        {"--bogus", "a.doc"},
        {"--created", "2024-02-30 10:00:00", "a.doc"},
        {"--created=2024-01-01", "a.doc"},
        {"--last-saved", "1500-01-01 00:00:00", "a.doc"},
        {"--no-doc-summary=1", "a.doc"},
        {"--custom", "no-value", "a.doc"},
        {"--custom", "=x", "a.doc"},
        {"--remove-custom=", "a.doc"},
        {"--custom-type", "n=vector", "a.doc"},
        {"--custom", "n=x", "--custom-type", "N=int", "a.doc"},
        {"--custom", "n=2024-13-01", "--custom-type", "n=date", "a.doc"},
    };
    for (const Arguments& args : cases) {
        const Result result = run(runWrite, args);
        EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("usage: quorvel-cli write"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(run(runRead, {}).status, kExitUsage);
    EXPECT_EQ(run(runRead, {"--xml", "a.doc"}).status, kExitUsage);
    for (const Arguments& args :
         {Arguments{"-j"}, Arguments{"a.doc", "-j"}, Arguments{"-j", "0", "a.doc"},
          Arguments{"-j", "x", "a.doc"}, Arguments{"-j", "1025", "a.doc"},
          Arguments{"-j", "4x", "a.doc"}, Arguments{"-j", "-1", "a.doc"}}) {
        const Result result = run(runRead, args);
        EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("usage: quorvel-cli read"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(run(runRead, {"--help"}).status, kExitOk);
    EXPECT_EQ(run(runWrite, {"--help"}).status, kExitOk);
}

TEST_F(Cli, ReadsAsJsonOneLinePerFile) {
    const std::string document = makeDocument("a.doc");
#ifdef _WIN32
    const std::string missing = m_folder / "missing.doc";  // Windows names hold no '"'
#else
    const std::string missing = m_folder / "missing \"x\".doc";
#endif
    const Result result = run(runRead, {"--json", document, missing});
    EXPECT_EQ(result.status, kExitFailed);
    std::istringstream lines(result.out);
    std::string first;
    std::string second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_TRUE(first.starts_with(
        R"({"path":")" + jsonEscaped(document) +
        R"(","code":0,"message":"","entries":[{"text":"表題","isTime":false,"time":0},{"text":"","isTime":false,"time":0},)"))
        << first;
    EXPECT_NE(first.find(R"({"text":"01:07.09 pm, Sat 04/05/2003","isTime":true,"time":)" +
                         std::to_string(126939892290000000) + "}"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find(R"({"text":"3","isTime":false,"time":0})"), std::string::npos);
    EXPECT_EQ(
        second,
        R"({"path":")" + jsonEscaped(missing) +
            R"(","code":102,"message":"ファイルが見つかりません。","entries":[],"custom":[]})");
    EXPECT_EQ(run(runRead, {"--json", document}).status, kExitOk);
}

// A PDF shows the fields it has a place for and its producer; the others are not shown as empty
// values. Only a PDF has a producer.
TEST_F(Cli, ReadsAPdfWithItsProducerAndWithoutTheFieldsItHasNoPlaceFor) {
    const std::string pdf =
        test::copyOfSampleDocument("pikepdf_fourpages.pdf", m_folder / "four.pdf");
    const std::string document = makeDocument("d.doc");
    const std::string producer = "ReportLab PDF Library - www.reportlab.com";
    const Result plain = run(runRead, {pdf, document});
    ASSERT_EQ(plain.status, kExitOk) << plain.out;
    const std::string shownPdf = plain.out.substr(0, plain.out.find(document + ": "));
    const std::string shownDocument = plain.out.substr(shownPdf.size());
    const struct {
        std::string line;
        bool inPdf;
        bool inDocument;
    } lines[] = {
        {"\n  Title: untitled\n", true, false},
        {"\n  KeyWord: \n", true, true},
        {"\n  作成日時: 2017/01/04 17:48:57\n", true, false},
        {"\n  会社: \n", true, true},
        {"\n  頁数: 4\n", true, false},
        {"\n  Comment: ", false, true},
        {"\n  最終保存者: ", false, true},
        {"\n  編集日時: ", false, true},
        {"\n  分類: ", false, true},
        {"\n  段落数: ", false, true},
        {"\n  Producer: " + producer + "\n", true, false},
        {"\n  Producer: ", true, false},
    };
    for (const auto& line : lines) {
        EXPECT_EQ(shownPdf.find(line.line) != std::string::npos, line.inPdf) << line.line;
        EXPECT_EQ(shownDocument.find(line.line) != std::string::npos, line.inDocument) << line.line;
    }
    const Result json = run(runRead, {"--json", pdf, document});
    ASSERT_EQ(json.status, kExitOk);
    const std::string jsonPdf = json.out.substr(0, json.out.find('\n'));
    EXPECT_NE(jsonPdf.find(R"(}],"producer":")" + producer + R"(","custom":[)"), std::string::npos)
        << jsonPdf;
    EXPECT_EQ(json.out.find("producer", jsonPdf.size()), std::string::npos);
}

TEST_F(Cli, ReadsManyFilesAtOnceAndShowsThemInCommandLineOrder) {
    Arguments files;
    std::ofstream(m_folder / "text.doc") << "not a compound file";
    for (int i = 0; i < 60; ++i) {
        // Appended piece by piece: GCC 12 -O3 warns about "f" + std::to_string(i).
        std::string name = "f";
        name += std::to_string(i) + ".doc";
        files.push_back(i % 7 == 3   ? m_folder / ("missing " + name)
                        : i % 5 == 1 ? m_folder / "text.doc"
                                     : makeDocument(name));
    }
    Arguments oneAtATime = {"--json", "-j", "1"};
    oneAtATime.insert(oneAtATime.end(), files.begin(), files.end());
    const Result sequential = run(runRead, oneAtATime);
    EXPECT_EQ(sequential.status, kExitFailed);
    std::istringstream lines(sequential.out);
    std::string line;
    for (const std::string& file : files) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_TRUE(line.starts_with(R"({"path":")" + jsonEscaped(file) + "\""));
        const char* code = file.find("missing") != std::string::npos ? "102"
                           : file.ends_with("text.doc")              ? "103"
                                                                     : "0";
        EXPECT_NE(line.find(std::string(R"("code":)") + code + ","), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
    for (const char* jobs : {"2", "16"}) {
        Arguments parallel = {"-j", jobs, "--json"};
        parallel.insert(parallel.end(), files.begin(), files.end());
        const Result result = run(runRead, parallel);
        EXPECT_EQ(result.status, kExitFailed);
        EXPECT_EQ(result.out, sequential.out) << jobs << " jobs";
    }
    Arguments plain = {"-j", "1"};
    plain.insert(plain.end(), files.begin(), files.end());
    EXPECT_EQ(run(runRead, Arguments(plain.begin() + 2, plain.end())).out, run(runRead, plain).out);
}

TEST_F(Cli, WritesTickedFieldsAndReadsThemBackInDisplayOrder) {
    const std::string document = makeDocument("b.doc");
    const Result written = run(runWrite, {"--title", "新しい表題", "--author=作者", "--created",
                                          "2024-05-06 07:08:09", "--no-doc-summary", document});
    EXPECT_EQ(written.status, kExitOk) << written.err;
    EXPECT_EQ(written.out, document + ": 0 OK\n");

    const Result read = run(runRead, {document});
    EXPECT_EQ(read.status, kExitOk);
    EXPECT_TRUE(read.out.starts_with(document +
                                     ": 0 OK\n  Title: 新しい表題\n  表題: \n  元作成者: 作者\n"))
        << read.out;
    EXPECT_NE(read.out.find("\n  作成日時: 2024/05/06 07:08:09\n"), std::string::npos) << read.out;
    EXPECT_NE(read.out.find("\n  頁数: 3\n"), std::string::npos);
    EXPECT_NE(read.out.find("\n  会社: \n  頁数"), std::string::npos);  // no second set: empty

    const Result refused = run(runWrite, {"--company", "x", document, m_folder / "none.doc"});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_EQ(refused.out, document + ": 109 ドキュメントSummary情報がありません。\n" +
                               (m_folder / "none.doc") + ": 102 ファイルが見つかりません。\n");
}

// With --keep-times the document, written in place or rewritten as a new file, shows the
// access and modification times it had; without it, the time of the write.
TEST_F(Cli, KeepsTheTimeStampsWhenAsked) {
    const std::string compound = makeDocument("c.doc");
    const std::string package = m_folder / "p.docx";
    quorvel::test::copyOfSampleDocument("pydocx_coreprops.docx", package);
    const test::DiskTimes past{{1'000'000'000, 0}, {1'100'000'000, 0}};
    for (const std::string& document : {compound, package}) {
        for (const bool keep : {false, true}) {
            SCOPED_TRACE(document + (keep ? " kept" : " not kept"));
            ASSERT_TRUE(test::setDiskTimes(document, past));
            Arguments args = {"--no-doc-summary", "--title", keep ? "残す" : "変える", document};
            if (keep) {
                args.insert(args.begin(), "--keep-times");
            }
            const Result written = run(runWrite, args);
            EXPECT_EQ(written.out, document + ": 0 OK\n");
            EXPECT_EQ(test::diskTimes(document) == past, keep);
        }
    }
    EXPECT_EQ(run(runWrite, {"--keep-times=1", compound}).status, kExitUsage);
}

// The export applies as nothing; an edited copy changes the title only after its dry run
// showed the change; a malformed sheet writes nothing and names its line.
TEST_F(Cli, AppliesAnEditedExportAfterADryRunShowedIt) {
    const std::string document = makeDocument("apply.doc");
    const std::string exported = m_folder / "e.csv";
    ASSERT_EQ(run(runExport, {"--encoding", "utf-8", "--out", exported, document}).status, kExitOk);
    EXPECT_EQ(run(runApply, {exported}).out, document + ": unchanged\n");

    std::ifstream in(exported, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string title = ",表題,";  // the document's title, after the header's column 表題
    text.replace(text.find(title, text.find('\n')), title.size(), ",新しい題,");
    const std::string edited = m_folder / "edited.csv";
    std::ofstream(edited, std::ios::binary) << text;
    const std::string change = "  Title: \"表題\" -> \"新しい題\"\n";
    EXPECT_EQ(run(runApply, {"--dry-run", edited}).out, document + ": would change\n" + change);
    EXPECT_EQ(run(runRead, {document}).out.find("新しい題"), std::string::npos);
    const Result applied = run(runApply, {edited});
    EXPECT_EQ(applied.status, kExitOk) << applied.err;
    EXPECT_EQ(applied.out, document + ": changed\n" + change);
    EXPECT_NE(run(runRead, {document}).out.find("  Title: 新しい題\n"), std::string::npos);

    const std::string broken = m_folder / "broken.csv";
    std::ofstream(broken, std::ios::binary) << "ファイル名,Title\n" << document << ",\"x\n";
    const Result refused = run(runApply, {broken});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_EQ(refused.err,
              broken + ":2: 引用符 (\") が閉じられていません。 Nothing was written.\n");
    EXPECT_NE(run(runRead, {document}).out.find("  Title: 新しい題\n"), std::string::npos);
    EXPECT_EQ(run(runApply, {"--encoding", "latin-1", broken}).status, kExitUsage);
}

TEST_F(Cli, WritesExportsAppliesAndUndoesUserDefinedProperties) {
    const std::string document = makeDocument("custom.doc");
    const Arguments write = {"--custom",        "部署=総務", "--custom=件数=3", "--custom", "x=1",
                             "--remove-custom", "X",         document};
    EXPECT_EQ(run(runWrite, write).out, document + ": 109 ドキュメントSummary情報がありません。\n");
    Arguments creating = write;
    creating.insert(creating.begin(), "--create-missing");
    ASSERT_EQ(run(runWrite, creating).status, kExitOk);
    const std::string json = run(runRead, {"--json", document}).out;
    EXPECT_NE(json.find(R"("custom":[{"name":"部署","type":"text","value":"総務"},)"
                        R"({"name":"件数","type":"int","value":"3"}]})"),
              std::string::npos)
        << json;

    const std::string exported = m_folder / "custom.csv";
    ASSERT_EQ(
        run(runExport, {"--custom", "--encoding", "utf-8", "--out", exported, document}).status,
        kExitOk);
    std::ifstream in(test::utf8Path(exported), std::ios::binary);
    std::string header;
    std::getline(in, header);
    EXPECT_TRUE(header.ends_with(",ファイル変更日時,custom:部署,custom:件数")) << header;

    const std::string sheet = m_folder / "sheet.csv";
    std::ofstream(test::utf8Path(sheet), std::ios::binary)
        << "ファイル名,custom:部署,custom:件数,custom:新規\n"
        << document << ",人事,,2024-01-02\n";
    const Result applied = run(runApply, {sheet});
    EXPECT_EQ(applied.out, document +
                               ": changed\n  custom:部署: \"総務\" -> \"人事\"\n"
                               "  custom:件数: \"3\" -> \"\"\n"
                               "  custom:新規: \"\" -> \"2024-01-02\"\n");
    EXPECT_NE(run(runRead, {document})
                  .out.find("  部署 (text): 人事\n  新規 (date): "
                            "2024-01-02T00:00:00Z\n"),
              std::string::npos);
    ASSERT_EQ(run(runUndo, {}).status, kExitOk);
    EXPECT_TRUE(run(runRead, {document}).out.ends_with("  部署 (text): 総務\n  件数 (int): 3\n"));
}

// Writes a CSV giving each document a title.
std::string titleSheet(const test::TempFolder& folder, const std::vector<std::string>& documents,
                       const std::string& title) {
    const std::string sheet = folder / (title + ".csv");
    std::ofstream out(test::utf8Path(sheet), std::ios::binary);
    out << "ファイル名,Title\n";
    for (const std::string& document : documents) {
        out << document << ',' << title << '\n';
    }
    return sheet;
}

TEST_F(Cli, UndoesARunButNotAFileChangedSinceUnlessForced) {
    const std::vector<std::string> documents = {makeDocument("a.doc"), makeDocument("b.doc")};
    const Result applied = run(runApply, {titleSheet(m_folder, documents, "一")});
    ASSERT_EQ(applied.status, kExitOk) << applied.out << applied.err;
    ASSERT_EQ(run(runApply, {titleSheet(m_folder, {documents[1]}, "二")}).status, kExitOk);
    const std::string runs = run(runUndo, {"--list"}).out;
    EXPECT_NE(runs.find("  apply  1 file\n"), std::string::npos) << runs;
    EXPECT_NE(runs.find("  apply  2 files\n"), std::string::npos) << runs;
    const std::string first = runs.substr(runs.rfind('\n', runs.size() - 2) + 1, 19);

    const Result undone = run(runUndo, {first});  // b.doc holds 二 now, not that run's 一
    EXPECT_EQ(undone.status, kExitFailed);
    EXPECT_EQ(undone.out, documents[0] + ": changed\n  Title: \"一\" -> \"表題\"\n" + documents[1] +
                              ": unchanged\n  Title: \"二\" -> \"表題\" (ignored: "
                              "この実行の後に変更されています。)\n");
    EXPECT_EQ(run(runUndo, {"--force", first}).status, kExitOk);
    for (const std::string& document : documents) {
        EXPECT_NE(run(runRead, {document}).out.find("  Title: 表題\n"), std::string::npos);
    }
    EXPECT_EQ(run(runUndo, {"20000101-000000-000"}).status, kExitFailed);
}

#ifndef _WIN32
// Killed half-way, a run leaves a journal whose undo restores the files it had written.
TEST_F(Cli, UndoesARunKilledHalfWay) {
    std::vector<std::string> documents;
    for (int i = 0; i < 300; ++i) {
        std::string name = "k";  // piece by piece: GCC 12 -O3 warns about "k" + std::to_string
        name += std::to_string(i);
        documents.push_back(makeDocument(name + ".doc"));
    }
    timespec started{};
    ::clock_gettime(CLOCK_REALTIME, &started);
    const std::string sheet = titleSheet(m_folder, documents, "途中");
    const pid_t child = ::fork();
    if (child == 0) {
        std::ostringstream ignored;
        ::_exit(runApply({"-j", "2", sheet}, ignored, ignored));
    }
    // Killed once some documents are written (their status changed: the apply puts their
    // times back), the others not yet.
    const auto written = [&] {
        return std::count_if(documents.begin(), documents.end(), [&](const std::string& path) {
            struct stat status {};
            ::stat(path.c_str(), &status);
            return std::pair(status.st_ctim.tv_sec, status.st_ctim.tv_nsec) >
                   std::pair(started.tv_sec, started.tv_nsec);
        });
    };
    while (written() < 10 && ::waitpid(child, nullptr, WNOHANG) == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_LT(written(), 300) << "the run ended before it was killed";
    const Result undone = run(runUndo, {});
    EXPECT_EQ(undone.status, kExitOk) << undone.out << undone.err;
    EXPECT_NE(undone.out.find(": changed\n"), std::string::npos) << undone.out;
    for (const std::string& document : documents) {
        EXPECT_NE(run(runRead, {document}).out.find("  Title: 表題\n"), std::string::npos)
            << document;
    }
}
#endif

}  // namespace
}  // namespace quorvel::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <map>

#include "document/document_access.h"
#include "export/csv_format.h"
#include "export/output_file_dlg.h"
#include "export_documents.h"
#include "filelist/file_list_ctrl.h"
#include "platform/file_status.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "support/dialog_fixture.h"
#include "support/qstring_printer.h"
#include "support/shown_path.h"
#include "support/time_zone_scope.h"
#include "support/utf8_path.h"

namespace quorvel::test {
namespace {

namespace fs = std::filesystem;
using ui::ErrorPromptResult;
using ui::PromptAnswer;
using ui::PromptIcon;

using Docs = ExportDocuments;

// The main dialog with files in its list; the export menu command; the CSV it writes.
class OutputToFileTest : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        COutputFileDlg::lastOutputFileName.clear();
        openDialog();
    }

    void list(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            dialog->fileList().AddFile(QString::fromStdString(path));
        }
    }
    // Answers the export dialog by saving to the output file, without opening it.
    void saveWhenAsked() {
        prompts.dialogScripts.push_back([this](QDialog& dlg) {
            dlg.findChild<QLineEdit*>(idName(OutputFileControl::FileNameEdit))
                ->setText(QString::fromStdString(output()));
            dlg.findChild<QCheckBox*>(idName(OutputFileControl::OpenAfterSaving))
                ->setChecked(false);
            QTest::mouseClick(dlg.findChild<QPushButton*>(idName(OutputFileControl::Save)),
                              Qt::LeftButton);
            return dlg.result();
        });
    }
    void runExport() {
        CFileListCtrl& files = dialog->fileList();
        for (int row = 0; row < files.topLevelItemCount(); ++row) {
            const std::string path = files.RowPath(row).toStdString();
            if (fs::exists(utf8Path(path))) {
                m_timesBeforeExport[path] = ExportDocuments::settleTimes(path);
            }
        }
        dialog->control<QAction>(MenuCommand::OutputToFile)->trigger();
    }

    std::string output() const { return documents / "出力.csv"; }
    QStringList shownKinds() const {
        QStringList kinds;
        for (const ShownPrompt& prompt : prompts.shown) {
            kinds << prompt.kind;
        }
        return kinds;
    }
    // The CSV the listed documents give when read directly, in this order.
    std::string csvOf(const std::vector<std::string>& paths) {
        std::vector<csv::ExportRecord> records;
        for (const std::string& path : paths) {
            csv::ExportRecord record{listed(path), {}, m_timesBeforeExport[listed(path)], {}};
            EXPECT_EQ(document::ReadDocProperties(path, record.properties), props::kSuccess)
                << path;
            records.push_back(std::move(record));
        }
        return csv::formatCsv(records);
    }
    static QString errorText(const std::string& path, props::MessageCode code) {
        return res::formatString(StringId::ContinueAfterError,
                                 {QString::fromStdString(listed(path)), res::loadString(code)});
    }
    // A path as the file list shows it, with the system's separators.
    static std::string listed(const std::string& path) { return shownPath(path).toStdString(); }

    TimeZoneScope m_tokyo{"Asia/Tokyo"};
    ExportDocuments documents;
    std::map<std::string, platform::FileTimes> m_timesBeforeExport;
};

TEST_F(OutputToFileTest, RefusedWhileTheFolderPaneIsOn) {
    list({documents.bothSets("a.doc")});
    dialog->control<QCheckBox>(MainControl::FolderInfoChange)->setChecked(true);
    runExport();
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text,
              QStringLiteral("フォルダのタイムスタンプ情報をファイルに出力することができません。"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("メッセージ"));
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);
}

TEST_F(OutputToFileTest, EveryRowMarkedOrNotInListOrder) {
    const std::vector<std::string> files = {documents.bothSets("b 文書.doc"),
                                            documents.summaryOnly("a.xls"),
                                            documents.bothSets("c.doc")};
    list(files);
    dialog->fileList().ToggleRowMark(1);
    saveWhenAsked();
    runExport();
    EXPECT_EQ(shownKinds(), (QStringList{"dialog", "message"}));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("ファイルに出力"));
    EXPECT_EQ(Docs::contents(output()), csvOf(files));
}

TEST_F(OutputToFileTest, UnreadableFilesAreAskedAbout) {
    const std::string good1 = documents.bothSets("1.doc");
    const std::string bad1 = documents.notCompound("2.doc");
    const std::string good2 = documents.summaryOnly("3.xls");
    const std::string bad2 = documents.notCompound("4.doc");
    const std::string good3 = documents.bothSets("5.doc");
    const struct {
        const char* name;
        std::vector<ErrorPromptResult> answers;
        int promptsShown;
        bool exported;
    } cases[] = {
        {"yes each time", {ErrorPromptResult::Yes, ErrorPromptResult::Yes}, 2, true},
        {"yes to all", {ErrorPromptResult::YesToAll}, 1, true},
        {"no", {ErrorPromptResult::No}, 1, false},
        {"yes, then no", {ErrorPromptResult::Yes, ErrorPromptResult::No}, 2, false},
    };
    list({good1, bad1, good2, bad2, good3});
    for (const auto& c : cases) {
        fs::remove(utf8Path(output()));
        prompts.shown.clear();
        prompts.errorAnswers.assign(c.answers.begin(), c.answers.end());
        prompts.dialogScripts.clear();
        saveWhenAsked();
        runExport();

        QStringList expected(c.promptsShown, QStringLiteral("errorPrompt"));
        if (c.exported) {
            expected << "dialog"
                     << "message";
        }
        EXPECT_EQ(shownKinds(), expected) << c.name;
        EXPECT_EQ(prompts.shown[0].text, errorText(bad1, props::kNotCompoundFile)) << c.name;
        if (c.promptsShown == 2) {
            EXPECT_EQ(prompts.shown[1].text, errorText(bad2, props::kNotCompoundFile)) << c.name;
        }
        // Numbered by exported file, not by list row.
        EXPECT_EQ(Docs::contents(output()), c.exported ? csvOf({good1, good2, good3}) : "")
            << c.name;
    }
}

TEST_F(OutputToFileTest, NothingReadableGivesAMessage) {
    const struct {
        const char* name;
        std::vector<std::string> files;
        int promptsShown;
    } cases[] = {
        {"empty list", {}, 0},
        {"nothing readable", {documents.notCompound("x.doc"), documents / "missing.doc"}, 1},
    };
    for (const auto& c : cases) {
        dialog->fileList().ClearAllRows();
        list(c.files);
        prompts.shown.clear();
        prompts.errorAnswers = {ErrorPromptResult::YesToAll};
        runExport();
        QStringList expected(c.promptsShown, QStringLiteral("errorPrompt"));
        expected << "message";
        ASSERT_EQ(shownKinds(), expected) << c.name;
        EXPECT_EQ(prompts.shown.back().text, QStringLiteral("参照可能なファイルがありません。"));
        EXPECT_EQ(prompts.shown.back().caption, QStringLiteral("エラーメッセージ"));
        EXPECT_EQ(prompts.shown.back().icon, PromptIcon::Exclamation);
    }
}

TEST_F(OutputToFileTest, AReadOnlyFileIsExportedOnlyWithConsent) {
    const std::string readOnly = documents.bothSets("ro.doc");
    const std::string other = documents.summaryOnly("rw.xls");
    fs::permissions(readOnly, fs::perms::owner_write, fs::perm_options::remove);
    list({readOnly, other});

    prompts.messageAnswers = {PromptAnswer::No};
    saveWhenAsked();
    runExport();
    EXPECT_EQ(shownKinds(), (QStringList{"message", "dialog", "message"}));
    EXPECT_EQ(prompts.shown[0].text, res::formatString(StringId::ClearReadOnlyQuestion,
                                                       {QString::fromStdString(listed(readOnly))}));
    EXPECT_EQ(Docs::contents(output()), csvOf({other}));

    prompts.shown.clear();
    prompts.messageAnswers = {PromptAnswer::Yes};
    saveWhenAsked();
    runExport();
    EXPECT_EQ(shownKinds(), (QStringList{"message", "dialog", "message"}));
    EXPECT_EQ(Docs::contents(output()), csvOf({readOnly, other}));
    EXPECT_NE(fs::status(readOnly).permissions() & fs::perms::owner_write, fs::perms::none);
}

// The files are read on several threads; what the user sees must not show it.
TEST_F(OutputToFileTest, ManyRowsAskAndExportInRowOrder) {
    std::vector<std::string> rows;
    QStringList expectedPrompts;
    std::vector<std::string> exported;
    int readOnlyRows = 0;
    for (int i = 0; i < 48; ++i) {
        const std::string name = std::to_string(i) + (i % 2 == 0 ? ".doc" : ".xls");
        switch (i % 8) {
            case 3:
                rows.push_back(documents.notCompound(name));
                expectedPrompts << errorText(rows.back(), props::kNotCompoundFile);
                break;
            case 5:
                rows.push_back(documents.bothSets(name));
                fs::permissions(rows.back(), fs::perms::owner_write, fs::perm_options::remove);
                expectedPrompts << res::formatString(StringId::ClearReadOnlyQuestion,
                                                     {QString::fromStdString(listed(rows.back()))});
                // The first read-only file stays out, the others are cleared and exported.
                prompts.messageAnswers.push_back(readOnlyRows++ == 0 ? PromptAnswer::No
                                                                     : PromptAnswer::Yes);
                if (readOnlyRows > 1) {
                    exported.push_back(rows.back());
                }
                break;
            case 7:
                rows.push_back(documents / ("missing " + name));
                expectedPrompts << errorText(rows.back(), props::kFileNotFound);
                break;
            default:
                rows.push_back(i % 2 == 0 ? documents.bothSets(name) : documents.summaryOnly(name));
                exported.push_back(rows.back());
        }
    }
    list(rows);
    prompts.errorAnswers.assign(12, ErrorPromptResult::Yes);
    saveWhenAsked();
    runExport();
    QStringList shownTexts;
    for (const ShownPrompt& prompt : prompts.shown) {
        shownTexts << prompt.text;
    }
    ASSERT_EQ(shownTexts.size(), expectedPrompts.size() + 2);
    EXPECT_EQ(shownTexts.mid(0, expectedPrompts.size()), expectedPrompts);
    EXPECT_EQ(prompts.shown[expectedPrompts.size()].kind, QStringLiteral("dialog"));
    EXPECT_EQ(Docs::contents(output()), csvOf(exported));
}

TEST_F(OutputToFileTest, AnsweringNoEndsTheExportBeforeAnyLaterQuestion) {
    std::vector<std::string> rows = {documents.bothSets("0.doc"), documents.notCompound("1.doc")};
    for (int i = 2; i < 40; ++i) {
        rows.push_back(documents.bothSets(std::to_string(i) + ".doc"));
        if (i % 3 == 0) {
            fs::permissions(rows.back(), fs::perms::owner_write, fs::perm_options::remove);
        } else if (i % 3 == 1) {
            fs::remove(rows.back());
        }
    }
    list(rows);
    prompts.errorAnswers = {ErrorPromptResult::No};
    saveWhenAsked();
    runExport();
    ASSERT_EQ(shownKinds(), QStringList{"errorPrompt"});
    EXPECT_EQ(prompts.shown[0].text, errorText(rows[1], props::kNotCompoundFile));
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_EQ(fs::status(rows[3]).permissions() & fs::perms::owner_write, fs::perms::none);
}

}  // namespace
}  // namespace quorvel::test

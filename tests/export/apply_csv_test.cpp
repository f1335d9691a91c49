// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>

#include "document/document_access.h"
#include "export_documents.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "support/dialog_fixture.h"
#include "support/qstring_printer.h"
#include "support/utf8_path.h"

namespace quorvel::test {
namespace {

using ui::ErrorPromptResult;

// The main dialog's command that applies a CSV, answered through the real preview dialog.
class ApplyCsvTest : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        openDialog();
    }
    std::string sheet(const std::string& text) {
        const std::string path = documents / "sheet.csv";
        std::ofstream(utf8Path(path), std::ios::binary) << "\xEF\xBB\xBF" << text;
        prompts.fileAnswers.push_back({{QString::fromStdString(path)}, {}});
        return path;
    }
    // Runs the command; the preview is looked at, then left with the button given.
    void applyPressing(int button, std::vector<QStringList>* table = nullptr,
                       QString* counts = nullptr) {
        prompts.dialogScripts.push_back([=](QDialog& preview) {
            const auto* changes =
                preview.findChild<QTableWidget*>(idName(ApplyPreviewControl::Changes));
            for (int row = 0; table != nullptr && row < changes->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < changes->columnCount(); ++column) {
                    cells << changes->item(row, column)->text();
                }
                table->push_back(cells);
            }
            if (counts != nullptr) {
                *counts = preview.findChild<QLabel*>(idName(ApplyPreviewControl::Counts))->text();
            }
            QTest::mouseClick(preview.findChild<QPushButton*>(idName(button)), Qt::LeftButton);
            return preview.result();
        });
        dialog->control<QAction>(MenuCommand::ApplyCsv)->trigger();
    }
    static std::string title(const std::string& path) {
        props::DocProperties properties;
        document::ReadDocProperties(path, properties);
        return properties.empty() ? std::string() : properties[0].text;
    }

    ExportDocuments documents;
};

TEST_F(ApplyCsvTest, PreviewsEveryChangeAndWritesOnlyWhenTold) {
    const std::string changed = documents.bothSets("a.doc");
    const std::string same = documents.summaryOnly("b.xls");
    const std::string gone = documents / "gone.doc";
    sheet("ファイル名,Title,頁数\n" + changed + ",新しい題,999\n" + same + "," + title(same) + "," +
          "\n" + gone + ",x,\n");
    std::vector<QStringList> table;
    QString counts;
    applyPressing(ApplyPreviewControl::Cancel, &table, &counts);
    EXPECT_NE(title(changed), "新しい題");
    const QString a = QString::fromStdString(changed);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].mid(0, 2), (QStringList{a, "Title"}));
    EXPECT_EQ(table[0][3], "新しい題");
    EXPECT_EQ(table[1].mid(0, 2), (QStringList{a, "頁数"}));
    EXPECT_TRUE(table[1][4].startsWith("変更しません")) << table[1][4].toStdString();
    EXPECT_EQ(table[2][0], QString::fromStdString(gone));
    EXPECT_EQ(table[2][4], res::loadString(props::kFileNotFound));
    EXPECT_EQ(counts,
              "変更するファイル：1　変更する項目：1　変更のないファイル：1　読めないファイル：1");

    // 変更: the unreadable file is asked about as in the batch change, then the summary.
    prompts.shown.clear();
    sheet("ファイル名,Title,頁数\n" + changed + ",新しい題,999\n" + same + "," + title(same) + "," +
          "\n" + gone + ",x,\n");
    prompts.errorAnswers.push_back(ErrorPromptResult::Yes);
    applyPressing(ApplyPreviewControl::Apply);
    EXPECT_EQ(title(changed), "新しい題");
    QStringList kinds;
    for (const ShownPrompt& shown : prompts.shown) {
        kinds << shown.kind;
    }
    EXPECT_EQ(kinds, (QStringList{"openFiles", "dialog", "errorPrompt", "message"}));
    EXPECT_EQ(prompts.shown.back().text,
              res::formatString(StringId::BatchSummary, {"3", "1", "0"}));
}

TEST_F(ApplyCsvTest, AMalformedSheetIsRefusedNamingItsLineBeforeAnyPreview) {
    const std::string file = documents.bothSets("a.doc");
    sheet("ファイル名,Title\n" + file + ",\"open\n");
    dialog->control<QAction>(MenuCommand::ApplyCsv)->trigger();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].kind, "message");
    EXPECT_TRUE(prompts.shown[1].text.contains("2 行目")) << prompts.shown[1].text.toStdString();
    EXPECT_NE(title(file), "open");
}

}  // namespace
}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/output_file_dlg.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cerrno>
#include <functional>
#include <memory>

#include "app/settings.h"
#include "platform/system_error.h"
#include "res/control_ids.h"
#include "support/error_codes.h"
#include "support/file_contents.h"
#include "support/qstring_printer.h"
#include "support/scratch_settings.h"
#include "support/scripted_prompts.h"
#include "support/shown_path.h"
#include "support/utf8_path.h"
#include "support/xdg_sandbox.h"

namespace quorvel::test {
namespace {

namespace fs = std::filesystem;
using ui::PromptIcon;

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

std::vector<csv::ExportRecord> someRecords(const std::string& path = "/d/見積書.doc") {
    props::DocProperties properties(props::kSummaryBlockSize);
    properties[0].text = "見積書";
    return {{path, properties, {1141535225, 1141535225, 1141535225, true}, {}}};
}

// The export dialog on a fresh settings store, in a sandbox without file associations.
class OutputFileDlgTest : public XdgSandbox {
  protected:
    void SetUp() override {
        XdgSandbox::SetUp();
        ASSERT_TRUE(m_settingsDir.isValid());
        useScratchSettings(m_settingsDir.path());
        COutputFileDlg::lastOutputFileName.clear();
    }

    COutputFileDlg& openDialog(std::vector<csv::ExportRecord> records = someRecords()) {
        prompts.shown.clear();
        dialog = std::make_unique<COutputFileDlg>(prompts, std::move(records));
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }
    template <class T>
    T* control(int id) const {
        return dialog->findChild<T*>(QString::number(id));
    }
    QLineEdit* outputEdit() const { return control<QLineEdit>(OutputFileControl::FileNameEdit); }
    QCheckBox* openAfterSaving() const {
        return control<QCheckBox>(OutputFileControl::OpenAfterSaving);
    }
    void clickSave() const {
        QTest::mouseClick(control<QPushButton>(OutputFileControl::Save), Qt::LeftButton);
    }

    // Drops local files on the dialog at a point inside the given widget.
    void drop(const QStringList& paths, QWidget* target) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.push_back(QUrl::fromLocalFile(path));
        }
        data.setUrls(urls);
        const QPointF point = target->mapTo(dialog.get(), target->rect().center());
        // Qt delivers a drop only to the widget that accepted the drag's entry.
        QDragEnterEvent enter(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &enter);
        QDropEvent event(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &event);
    }

    ScriptedPrompts prompts;
    std::unique_ptr<COutputFileDlg> dialog;

  private:
    QTemporaryDir m_settingsDir;
};

TEST_F(OutputFileDlgTest, OpensWithTheLastNameAndTheStoredCheck) {
    COutputFileDlg::lastOutputFileName = QStringLiteral("/tmp/前回 出力.csv");
    const struct {
        QVariant stored;
        bool checked;
    } cases[] = {{QVariant(), true}, {0, false}, {1, true}};
    for (const auto& c : cases) {
        QSettings settings(QSettings::defaultFormat(), QSettings::UserScope,
                           QString::fromLatin1(app::Settings::kOrganization),
                           QCoreApplication::applicationName());
        settings.setValue(QStringLiteral("Quorvel_Section/FindExecutableSetCheck"), c.stored);
        settings.sync();
        openDialog();
        EXPECT_EQ(openAfterSaving()->isChecked(), c.checked) << c.stored.toString().toStdString();
        EXPECT_EQ(outputEdit()->text(), QStringLiteral("/tmp/前回 出力.csv"));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ファイルに出力"));
    }
}

TEST_F(OutputFileDlgTest, TheCheckIsStoredOnlyWhenClosedWithoutSaving) {
    const QString target = QString::fromStdString(utf8String(m_root / "out.csv"));
    const struct {
        const char* way;
        std::function<void()> close;
        bool storedAfterwards;
    } cases[] = {
        {"終了",
         [this] {
             QTest::mouseClick(control<QPushButton>(OutputFileControl::End), Qt::LeftButton);
         },
         false},
        {"Escape", [this] { QTest::keyClick(dialog.get(), Qt::Key_Escape); }, false},
        {"close box", [this] { dialog->close(); }, false},
        {"save",
         [this, &target] {
             outputEdit()->setText(target);
             clickSave();
         },
         true},
    };
    for (const auto& c : cases) {
        app::Settings::setFindExecutableCheck(true);
        openDialog();
        openAfterSaving()->setChecked(false);
        c.close();
        EXPECT_FALSE(dialog->isVisible()) << c.way;
        EXPECT_EQ(app::Settings::findExecutableCheck(), c.storedAfterwards) << c.way;
    }
}

TEST_F(OutputFileDlgTest, SavesAndReportsCompletion) {
    const fs::path file = m_root / "出力 一覧.csv";
    openDialog();
    openAfterSaving()->setChecked(false);
    outputEdit()->setText(QString::fromStdString(utf8String(file)));
    QTest::keyClick(outputEdit(), Qt::Key_Return);

    EXPECT_EQ(fileContents(file), csv::formatCsv(someRecords()));
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("保存は完了しました"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("メッセージ"));
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Information);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(COutputFileDlg::lastOutputFileName, QString::fromStdString(utf8String(file)));
}

// The box, off at every opening, adds a column per user-defined property to the 25.
TEST_F(OutputFileDlgTest, UserDefinedColumnsOnlyWhenTicked) {
    std::vector<csv::ExportRecord> records = someRecords();
    records[0].custom.items = {{"部署", props::CustomType::Text, "営業", false}};
    for (const bool ticked : {false, true}) {
        const fs::path file = m_root / (ticked ? "with.csv" : "without.csv");
        openDialog(records);
        openAfterSaving()->setChecked(false);
        auto* withCustom = control<QCheckBox>(OutputFileControl::WithCustom);
        EXPECT_FALSE(withCustom->isChecked());
        withCustom->setChecked(ticked);
        outputEdit()->setText(QString::fromStdString(utf8String(file)));
        clickSave();
        const std::string written = fileContents(file);
        EXPECT_EQ(written, csv::formatCsv(records, csv::CsvEncoding::Cp932, ticked));
        EXPECT_EQ(written.find("custom:") != std::string::npos, ticked);
    }
}

TEST_F(OutputFileDlgTest, AFailedSaveKeepsTheDialogOpenWithoutCompletionOrOpening) {
    associateText(utf8String(recordingApplication(m_root / "opened.txt")) + " %f");
    const fs::path document = m_root / "見積書.doc";
    write(document, "the only copy");
    const struct {
        QString name;
        QString message;
    } cases[] = {
        {QString(), QStringLiteral("保存するファイル名を指定して下さい。")},
        {QStringLiteral("/dev/full"),
         QString::fromUtf8(platform::systemError(kDiskFullError).text)},  // a full disk
        {QString::fromStdString(utf8String(m_root)),
         QString::fromUtf8(platform::systemError(kIsAFolderError).text)},
        {QString::fromStdString(utf8String(m_root / "." / "見積書.doc")),
         QStringLiteral("出力対象のファイルには保存できません。")},
    };
    for (const auto& c : cases) {
        openDialog(someRecords(utf8String(document)));
        openAfterSaving()->setChecked(true);
        outputEdit()->setText(c.name);
        clickSave();
        ASSERT_EQ(prompts.shown.size(), 1U) << c.name.toStdString();
        EXPECT_EQ(prompts.shown[0].text, c.message);
        EXPECT_EQ(prompts.shown[0].caption, kErrorCaption);
        EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(COutputFileDlg::lastOutputFileName, c.name);
    }
    EXPECT_FALSE(fs::exists(m_root / "opened.txt"));
    EXPECT_EQ(fileContents(document), "the only copy");
}

TEST_F(OutputFileDlgTest, OpensTheSavedFileWithItsApplication) {
    QUORVEL_SKIP_WITHOUT_XDG();
    const fs::path file = m_root / "出力 一覧.csv";
    const QString path = QString::fromStdString(utf8String(file));
    const fs::path received = m_root / "opened.txt";
    const QString broken = QString::fromStdString(utf8String(unstartableApplication()));
    const struct {
        const char* association;
        std::string exec;
        QStringList messages;
    } cases[] = {
        {"none",
         "",
         {QStringLiteral("保存は完了しました"),
          QStringLiteral("関連付けられているApplicationがない為、ファイルのOpenはできません。")}},
        {"cannot start",
         broken.toStdString(),
         {QStringLiteral("保存は完了しました"),
          QStringLiteral("関連つけられるApplication(%1)で%2を開けません。").arg(broken, path)}},
        {"works",
         utf8String(recordingApplication(received)) + " %f",
         {QStringLiteral("保存は完了しました")}},
    };
    for (const auto& c : cases) {
        if (!c.exec.empty()) {
            associateText(c.exec);
        }
        openDialog();
        outputEdit()->setText(path);
        clickSave();
        QStringList shown;
        for (const ShownPrompt& prompt : prompts.shown) {
            shown << prompt.text;
        }
        EXPECT_EQ(shown, c.messages) << c.association;
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << c.association;
    }
    EXPECT_EQ(awaitContents(received), "1|" + utf8String(file));
    EXPECT_EQ(COutputFileDlg::lastOutputFileName, path);
}

TEST_F(OutputFileDlgTest, BrowseTakesTheChosenFile) {
    openDialog();
    outputEdit()->setText(QStringLiteral("/keep.csv"));
    prompts.fileAnswers.push_back({});  // cancelled
    prompts.fileAnswers.push_back({{QStringLiteral("/home/u/選択 結果.CSV")}, {}});
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(control<QPushButton>(OutputFileControl::Browse), Qt::LeftButton);
    }
    EXPECT_EQ(outputEdit()->text(), shownPath(QStringLiteral("/home/u/選択 結果.CSV")));
    ASSERT_EQ(prompts.shown.size(), 2U);
    EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("saveFile"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("保存ファイル選択"));
    EXPECT_TRUE(prompts.shown[0].text.isEmpty());
}

TEST_F(OutputFileDlgTest, OnlyAFileDroppedOnTheNameCounts) {
    const QString first = QString::fromStdString(utf8String(m_root / "一つ目 の.csv"));
    const QString second = QString::fromStdString(utf8String(m_root / "second.csv"));
    const QString folder = QString::fromStdString(utf8String(m_root));
    openDialog();

    drop({first, second}, outputEdit());
    EXPECT_EQ(outputEdit()->text(), shownPath(first));
    drop({second}, openAfterSaving());
    EXPECT_EQ(outputEdit()->text(), shownPath(first));
    EXPECT_TRUE(prompts.shown.empty());

    drop({folder, second}, outputEdit());
    EXPECT_EQ(outputEdit()->text(), shownPath(first));
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("選択されたファイルはフォルダです"));
    EXPECT_EQ(prompts.shown[0].caption, kErrorCaption);
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
}

}  // namespace
}  // namespace quorvel::test

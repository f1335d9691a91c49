// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <map>

#include "filelist/file_list_ctrl.h"
#include "folders/folder_tree_ctrl.h"
#include "res/control_ids.h"
#include "stat_times.h"
#include "support/dialog_fixture.h"
#include "support/temp_folder.h"
#include "ui/picker_time.h"

namespace quorvel::test {
namespace {

using ui::PromptAnswer;
using ui::PromptButtons;
using ui::PromptIcon;

constexpr int kPaneIds[] = {
    MainControl::FolderTree,    MainControl::FolderMarkAll,    MainControl::FolderUnmarkAll,
    MainControl::FolderSetting, MainControl::FolderSubFolders, MainControl::FolderClear,
    MainControl::FolderChange,  MainControl::FolderMarkLinked, MainControl::FolderDisplay};
constexpr std::int64_t kT = 1'600'000'000;

std::vector<int> filePartIds() {
    std::vector<int> ids{MainControl::EditTimePicker,      MainControl::LastPrintedPicker,
                         MainControl::CreatedPicker,       MainControl::LastSavedPicker,
                         MainControl::LastSavedChange,     MainControl::NoChangeRadio,
                         MainControl::AlsoTimeStampsRadio, MainControl::TimeStampsOnlyRadio,
                         MainControl::KeepTimeStampsRadio, MainControl::ShowFile,
                         MainControl::MarkLinkedDisplay,   MainControl::FileKindCombo,
                         MainControl::SubDirSearch,        MainControl::CheckAllChanges,
                         MainControl::UncheckAllChanges,   MainControl::BatchChange};
    for (const auto& [first, last] :
         {std::pair{MainControl::TitleEdit, MainControl::ParagraphCountEdit},
          {MainControl::EditTimeLabel, MainControl::LastSavedLabel},
          {MainControl::TitleChange, MainControl::CompanyChange},
          {MainControl::EditTimeChange, MainControl::CreatedChange},
          {MainControl::FileSetting, MainControl::UnmarkAllFiles}}) {
        for (int id = first; id <= last; ++id) {
            ids.push_back(id);
        }
    }
    return ids;
}

// The enabled state of every control that carries an id.
std::map<int, bool> enabledStates(const CQuorvelDlg& dialog) {
    std::map<int, bool> states;
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        bool isId = false;
        const int id = widget->objectName().toInt(&isId);
        if (isId && widget->window() == &dialog) {
            states[id] = widget->isEnabled();
        }
    }
    return states;
}

class FolderPaneTest : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        for (const char* folder : {"top/a/a1", "top/b", "top/c"}) {
            temp.makeFolder(folder);
        }
        openDialog();
    }

    void click(int id) { dialog->control<QAbstractButton>(id)->click(); }

    CFolderTreeCtrl& tree() { return dialog->folderTree(); }

    QTreeWidgetItem* item(const std::string& relative) {
        for (QTreeWidgetItemIterator it(&tree()); *it != nullptr; ++it) {
            if (tree().GetItemPath(*it) == temp / relative) {
                return *it;
            }
        }
        return nullptr;
    }

    // Switches the pane on and makes top the root through the folder browser.
    void openTop() {
        click(MainControl::FolderInfoChange);
        prompts.folderAnswers = {QString::fromStdString(temp / "top")};
        click(MainControl::FolderSetting);
        ASSERT_NE(item("top"), nullptr);
    }

    QDateTimeEdit& picker(int id) { return *dialog->control<QDateTimeEdit>(id); }

    std::int64_t pickerValue(int id) {
        std::int64_t value = 0;
        EXPECT_TRUE(ui::pickerSeconds(picker(id), value));
        return value;
    }

    void setPickers(std::int64_t creation, std::int64_t access, std::int64_t modification) {
        ASSERT_TRUE(ui::setPickerSeconds(picker(MainControl::FileCreatedPicker), creation));
        ASSERT_TRUE(ui::setPickerSeconds(picker(MainControl::FileAccessedPicker), access));
        ASSERT_TRUE(ui::setPickerSeconds(picker(MainControl::FileModifiedPicker), modification));
    }

    const ShownPrompt& lastPrompt() const { return prompts.shown.back(); }

    // The run's summary, and the notice after it when the temporary folder's file system
    // cannot store creation times (then every folder done kept its creation time).
    void expectSummary(std::size_t shownBefore, const QString& summary, unsigned processed) {
        ASSERT_GT(prompts.shown.size(), shownBefore);
        const ShownPrompt& shown = prompts.shown[shownBefore];
        EXPECT_EQ(shown.text, summary);
        EXPECT_EQ(shown.caption, "メッセージ");
        EXPECT_EQ(shown.icon, PromptIcon::Information);
        if (prompts.shown.size() == shownBefore + 2) {
            EXPECT_EQ(lastPrompt().text,
                      QString("このファイルシステムでは作成日時を変更できないため、%1個のフォルダの"
                              "作成日時は変更されていません。")
                          .arg(processed));
            EXPECT_EQ(lastPrompt().caption, "メッセージ");
        } else {
            EXPECT_EQ(prompts.shown.size(), shownBefore + 1);
        }
    }

    TempFolder temp;
};

TEST_F(FolderPaneTest, SwitchChangesExactlyThePaneAndTheFilePart) {
    click(MainControl::SubDirSearch);  // unticked: the file-kind label and combo disabled
    const auto before = enabledStates(*dialog);
    ASSERT_FALSE(before.at(MainControl::FileKindCombo));
    for (const int id : kPaneIds) {
        EXPECT_FALSE(before.at(id)) << id;
    }

    click(MainControl::FolderInfoChange);
    auto expected = before;
    for (const int id : kPaneIds) {
        expected[id] = true;
    }
    for (const int id : filePartIds()) {
        expected[id] = false;
    }
    expected[MainControl::FileList] = false;
    EXPECT_EQ(enabledStates(*dialog), expected);

    click(MainControl::FolderInfoChange);
    for (const int id : kPaneIds) {
        expected[id] = false;
    }
    for (const int id : filePartIds()) {
        expected[id] = true;  // the file-kind combo too, although SubDirSearch is unticked
    }
    EXPECT_EQ(enabledStates(*dialog), expected);
    EXPECT_FALSE(dialog->control<QWidget>(MainControl::FileKindLabel)->isEnabled());
    EXPECT_FALSE(dialog->control<QWidget>(MainControl::FileList)->isEnabled())
        << "an empty list stays disabled";

    dialog->fileList().AddFile(QString::fromStdString(temp.makeFile("x.doc")));
    click(MainControl::FolderInfoChange);
    EXPECT_FALSE(dialog->control<QWidget>(MainControl::FileList)->isEnabled());
    click(MainControl::FolderInfoChange);
    EXPECT_TRUE(dialog->control<QWidget>(MainControl::FileList)->isEnabled());
}

TEST_F(FolderPaneTest, SwitchingKeepsTicksTextsTreeAndTheRememberedFolder) {
    openTop();
    click(MainControl::FolderSubFolders);
    click(MainControl::FolderMarkLinked);
    item("top/b")->setCheckState(0, Qt::Checked);
    dialog->control<QLineEdit>(MainControl::TitleEdit)->setText("title");

    click(MainControl::FolderInfoChange);
    click(MainControl::FolderInfoChange);
    EXPECT_TRUE(dialog->control<QCheckBox>(MainControl::FolderSubFolders)->isChecked());
    EXPECT_TRUE(dialog->control<QCheckBox>(MainControl::FolderMarkLinked)->isChecked());
    EXPECT_EQ(dialog->control<QLineEdit>(MainControl::TitleEdit)->text(), "title");
    ASSERT_NE(item("top/b"), nullptr);
    EXPECT_EQ(item("top/b")->checkState(0), Qt::Checked);

    click(MainControl::FolderSetting);
    EXPECT_EQ(lastPrompt().kind, "existingFolder");
    EXPECT_EQ(lastPrompt().text, QString::fromStdString(temp / "top"));
}

TEST_F(FolderPaneTest, FolderBrowserChoosesTheRootAndRemembersEvenACancel) {
    click(MainControl::FolderInfoChange);
    prompts.folderAnswers = {QString::fromStdString(temp / "top")};
    click(MainControl::FolderSetting);
    EXPECT_EQ(lastPrompt().caption, "TimeStamp変更するﾌｫﾙﾀﾞ選択");
    EXPECT_EQ(lastPrompt().text, "");
    ASSERT_EQ(tree().topLevelItemCount(), 1);
    EXPECT_EQ(tree().topLevelItem(0)->text(0), QString::fromStdString(temp / "top"));
    EXPECT_EQ(tree().topLevelItem(0)->childCount(), 3);

    click(MainControl::FolderSetting);  // cancelled: the tree stays, the remembered folder empties
    EXPECT_EQ(tree().topLevelItemCount(), 1);
    click(MainControl::FolderSetting);
    EXPECT_EQ(lastPrompt().text, "");

    prompts.folderAnswers = {"/"};
    click(MainControl::FolderSetting);
    EXPECT_EQ(lastPrompt().kind, "message");
    EXPECT_EQ(lastPrompt().text, "フォルダを選択してください");
    EXPECT_EQ(lastPrompt().caption, "エラーメッセージ");
    EXPECT_EQ(lastPrompt().icon, PromptIcon::Exclamation);
    EXPECT_EQ(tree().GetItemPath(tree().topLevelItem(0)), temp / "top");
}

TEST_F(FolderPaneTest, AFolderDroppedOnTheTreeBecomesTheRoot) {
    const QPoint onTree = tree().mapTo(dialog.get(), tree().rect().center());
    const QPoint offTree =
        dialog->control<QWidget>(MainControl::FileList)->mapTo(dialog.get(), QPoint(5, 5));
    const QString top = QString::fromStdString(temp / "top");
    const QString b = QString::fromStdString(temp / "top/b");
    const QString file = QString::fromStdString(temp.makeFile("file.doc"));

    dialog->DropFolderOnTree({top}, onTree);
    EXPECT_EQ(tree().topLevelItemCount(), 0) << "pane off";
    click(MainControl::FolderInfoChange);
    dialog->DropFolderOnTree({top}, offTree);
    EXPECT_EQ(tree().topLevelItemCount(), 0);

    dialog->DropFolderOnTree({file, top}, onTree);
    EXPECT_EQ(tree().topLevelItemCount(), 0) << "only the first item counts";
    dialog->DropFolderOnTree({b, top}, onTree);
    EXPECT_EQ(tree().GetItemPath(tree().topLevelItem(0)), temp / "top/b");
    dialog->DropFolderOnTree({"/"}, onTree);
    EXPECT_EQ(lastPrompt().text, "フォルダを選択してください");
    EXPECT_EQ(tree().GetItemPath(tree().topLevelItem(0)), temp / "top/b");
}

TEST_F(FolderPaneTest, ClearAndBulkMarkButtons) {
    openTop();
    click(MainControl::FolderMarkAll);
    item("top")->setExpanded(true);
    EXPECT_EQ(item("top/a/a1")->checkState(0), Qt::Checked);
    click(MainControl::FolderUnmarkAll);
    EXPECT_EQ(item("top/a")->checkState(0), Qt::Unchecked);
    click(MainControl::FolderMarkAll);
    click(MainControl::FolderClear);
    EXPECT_EQ(tree().topLevelItemCount(), 0);
    EXPECT_FALSE(tree().marksNewItems());
}

TEST_F(FolderPaneTest, DisplayShowsTheSelectedFolderOrAsksForOne) {
    openTop();
    click(MainControl::FolderDisplay);
    EXPECT_EQ(lastPrompt().text, "表示したいフォルダを選択してください。");
    EXPECT_EQ(lastPrompt().caption, "エラーメッセージ");
    EXPECT_EQ(lastPrompt().icon, PromptIcon::Exclamation);

    ASSERT_TRUE(setStatTimes(temp / "top/b", kT + 100, kT + 200));
    tree().setCurrentItem(item("top/b"));  // FolderMarkLinked unticked: nothing shown yet
    EXPECT_NE(pickerValue(MainControl::FileModifiedPicker), kT + 200);
    click(MainControl::FolderDisplay);
    EXPECT_EQ(pickerValue(MainControl::FileAccessedPicker), kT + 100);
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), kT + 200);
}

TEST_F(FolderPaneTest, MarkLinkedDisplayShowsEachSelectedFolder) {
    openTop();
    click(MainControl::FolderMarkLinked);
    ASSERT_TRUE(setStatTimes(temp / "top/a", kT, kT + 1));
    ASSERT_TRUE(setStatTimes(temp / "top/c", kT + 10, kT + 11));
    tree().setCurrentItem(item("top/a"));
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), kT + 1);
    tree().setCurrentItem(item("top/c"));
    EXPECT_EQ(pickerValue(MainControl::FileAccessedPicker), kT + 10);
    EXPECT_TRUE(prompts.shown.size() == 1U);  // the folder browser only

    std::filesystem::remove(temp / "top/b");
    prompts.messageAnswers = {PromptAnswer::Ignore, PromptAnswer::Abort};
    tree().setCurrentItem(item("top/b"));
    tree().setCurrentItem(item("top/c"));
    tree().setCurrentItem(item("top/b"));
    ASSERT_EQ(prompts.shown.size(), 3U);
    EXPECT_EQ(lastPrompt().buttons, PromptButtons::AbortRetryIgnore);
    EXPECT_TRUE(lastPrompt().text.contains(QString::fromStdString(temp / "top/b")));
    EXPECT_EQ(pickerValue(MainControl::FileAccessedPicker), kT + 10);
}

TEST_F(FolderPaneTest, ChangeWritesThePickersTimesToEveryMarkedFolder) {
    openTop();
    click(MainControl::FolderChange);
    EXPECT_EQ(prompts.shown.size(), 1U) << "nothing marked: no message";

    item("top/a")->setCheckState(0, Qt::Checked);
    item("top/c")->setCheckState(0, Qt::Checked);
    click(MainControl::FolderSubFolders);
    setPickers(kT, kT + 100, kT + 200);
    click(MainControl::FolderChange);
    expectSummary(1, "選択した3個の中に3個を処理しました。", 3);
    for (const char* folder : {"top/a", "top/a/a1", "top/c"}) {
        EXPECT_EQ(statTimes(temp / folder), (StatTimes{kT + 100, kT + 200})) << folder;
    }
    EXPECT_NE(statTimes(temp / "top/b"), (StatTimes{kT + 100, kT + 200}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    std::filesystem::remove(temp / "top/c");
    prompts.messageAnswers = {PromptAnswer::Abort};
    click(MainControl::FolderSubFolders);
    setPickers(kT, kT + 300, kT + 400);
    const std::size_t shownBefore = prompts.shown.size();
    click(MainControl::FolderChange);
    EXPECT_EQ(prompts.shown[shownBefore].buttons, PromptButtons::AbortRetryIgnore);
    expectSummary(shownBefore + 1, "選択した2個の中に1個を処理しました。", 1);
    EXPECT_EQ(statTimes(temp / "top/a"), (StatTimes{kT + 300, kT + 400}));
    EXPECT_EQ(statTimes(temp / "top/a/a1"), (StatTimes{kT + 100, kT + 200}));
}

TEST_F(FolderPaneTest, AddModeStepsPastAnIgnoredFolder) {
    // Add mode: creation 1 day (slot 0), access 1 hour (slot 2), modification 1 minute (slot 3).
    prompts.dialogScripts.push_back([](QDialog& increments) {
        increments.findChild<QAbstractButton*>(idName(IncrementControl::AddRadio))->click();
        increments.findChild<QLineEdit*>(idName(IncrementControl::EditAccessDays))->setText("1");
        increments.findChild<QLineEdit*>(idName(IncrementControl::CreatedHours))->setText("1");
        increments.findChild<QLineEdit*>(idName(IncrementControl::LastSavedMinutes))->setText("1");
        increments.findChild<QPushButton*>(idName(IncrementControl::Ok))->click();
        return increments.result();
    });
    dialog->control<QAction>(MenuCommand::DateIncrementSetting)->trigger();
    openTop();
    for (const char* folder : {"top/a", "top/b", "top/c"}) {
        item(folder)->setCheckState(0, Qt::Checked);
    }
    std::filesystem::remove(temp / "top/b");
    prompts.messageAnswers = {PromptAnswer::Ignore};
    setPickers(kT, kT + 100, kT + 200);
    const std::size_t shownBefore = prompts.shown.size();
    click(MainControl::FolderChange);

    EXPECT_EQ(prompts.shown[shownBefore].buttons, PromptButtons::AbortRetryIgnore);
    expectSummary(shownBefore + 1, "選択した3個の中に2個を処理しました。", 2);
    EXPECT_EQ(statTimes(temp / "top/a"), (StatTimes{kT + 100, kT + 200}));
    EXPECT_EQ(statTimes(temp / "top/c"), (StatTimes{kT + 100 + 2 * 3600, kT + 200 + 2 * 60}));
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), kT + 200)
        << "the pickers keep the first folder's times";
}

}  // namespace
}  // namespace quorvel::test

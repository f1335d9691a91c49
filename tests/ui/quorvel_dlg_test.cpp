// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/quorvel_dlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdlib>
#include <ctime>

#include "app/settings.h"
#include "document/document_access.h"
#include "filelist/file_list_ctrl.h"
#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/shown_path.h"
#include "support/temp_folder.h"
#include "ui/picker_time.h"

namespace quorvel::test {
namespace {

using app::Settings;

enum class Kind { Edit, ReadOnlyEdit, Check, Radio, Button, Picker, Combo, Label, Tree, Group };

struct ExpectedControl {
    int id;
    Kind kind;
    const char* caption;  // text of the control, or of the label beside it
    bool enabled;         // after start-up with no stored settings
};

// The main dialog's controls as the users know them.
const ExpectedControl kControls[] = {
    {MainControl::TitleEdit, Kind::Edit, "Title", true},
    {MainControl::SubjectEdit, Kind::Edit, "表題", true},
    {MainControl::AuthorEdit, Kind::Edit, "元作成者", true},
    {MainControl::KeywordsEdit, Kind::Edit, "KeyWord", true},
    {MainControl::CommentsEdit, Kind::Edit, "Comment", true},
    {MainControl::TemplateEdit, Kind::Edit, "Template", true},
    {MainControl::LastAuthorEdit, Kind::Edit, "最終保存者", true},
    {MainControl::RevisionEdit, Kind::Edit, "改訂", true},
    {MainControl::AppNameEdit, Kind::Edit, "APP名", true},
    {MainControl::CategoryEdit, Kind::Edit, "分類", true},
    {MainControl::CompanyEdit, Kind::Edit, "会社", true},
    {MainControl::PageCountEdit, Kind::ReadOnlyEdit, "頁数", true},
    {MainControl::WordCountEdit, Kind::ReadOnlyEdit, "単語数", true},
    {MainControl::CharCountEdit, Kind::ReadOnlyEdit, "文字数", true},
    {MainControl::LineCountEdit, Kind::ReadOnlyEdit, "行数", true},
    {MainControl::ParagraphCountEdit, Kind::ReadOnlyEdit, "段落数", true},
    {MainControl::TitleChange, Kind::Check, "変更", true},
    {MainControl::SubjectChange, Kind::Check, "変更", true},
    {MainControl::AuthorChange, Kind::Check, "変更", true},
    {MainControl::KeywordsChange, Kind::Check, "変更", true},
    {MainControl::CommentsChange, Kind::Check, "変更", true},
    {MainControl::TemplateChange, Kind::Check, "変更", true},
    {MainControl::LastAuthorChange, Kind::Check, "変更", true},
    {MainControl::RevisionChange, Kind::Check, "変更", true},
    {MainControl::AppNameChange, Kind::Check, "変更", true},
    {MainControl::CategoryChange, Kind::Check, "変更", true},
    {MainControl::CompanyChange, Kind::Check, "変更", true},
    {MainControl::EditTimeLabel, Kind::ReadOnlyEdit, "編集日時", true},
    {MainControl::LastPrintedLabel, Kind::ReadOnlyEdit, "最終印刷日時", true},
    {MainControl::CreatedLabel, Kind::ReadOnlyEdit, "作成日時", true},
    {MainControl::LastSavedLabel, Kind::ReadOnlyEdit, "最終保存日時", true},
    {MainControl::EditTimePicker, Kind::Picker, "編集日時", true},
    {MainControl::LastPrintedPicker, Kind::Picker, "最終印刷日時", true},
    {MainControl::CreatedPicker, Kind::Picker, "作成日時", true},
    {MainControl::LastSavedPicker, Kind::Picker, "最終保存日時", true},
    {MainControl::EditTimeChange, Kind::Check, "変更", true},
    {MainControl::LastPrintedChange, Kind::Check, "変更", true},
    {MainControl::CreatedChange, Kind::Check, "変更", true},
    {MainControl::LastSavedChange, Kind::Check, "変更", true},
    {MainControl::FileTimeStampGroup, Kind::Group, "File Time Stamp", true},
    {MainControl::NoChangeRadio, Kind::Radio, "変更無し", true},
    {MainControl::AlsoTimeStampsRadio, Kind::Radio, "Time Stampも変更", true},
    {MainControl::TimeStampsOnlyRadio, Kind::Radio, "File Time Stampのみ変更", true},
    {MainControl::KeepTimeStampsRadio, Kind::Radio, "File Time Stampを元のまま", true},
    {MainControl::FileCreatedPicker, Kind::Picker, "作成日時", true},
    {MainControl::FileAccessedPicker, Kind::Picker, "ｱｸｾｽ日時", true},
    {MainControl::FileModifiedPicker, Kind::Picker, "更新日時", true},
    {MainControl::SubDirSearch, Kind::Check, "S&ubDirectoryも検索", true},
    {MainControl::FileKindLabel, Kind::Label, "File種類(Dro&pDrag時）", true},
    {MainControl::FileKindCombo, Kind::Combo, "File種類(Dro&pDrag時）", true},
    {MainControl::CheckAllChanges, Kind::Button, "全変更選択(&T)", true},
    {MainControl::UncheckAllChanges, Kind::Button, "全選択取消(&R)", true},
    {MainControl::ShowFile, Kind::Button, "表示(&W)", true},
    {MainControl::BatchChange, Kind::Button, "変更(&A)", true},
    {MainControl::Exit, Kind::Button, "終了(&E)", true},
    {MainControl::ProgressText, Kind::Label, "", true},
    {MainControl::FileList, Kind::Tree, "", false},
    {MainControl::MarkLinkedDisplay, Kind::Check, "Mark連動表示(&S)", true},
    {MainControl::FileSetting, Kind::Button, "&File設定", true},
    {MainControl::RemoveMarkedFiles, Kind::Button, "mark F&ile除外", true},
    {MainControl::ClearList, Kind::Button, "&ClearList", true},
    {MainControl::MarkAllFiles, Kind::Button, "全Mark(&L)", true},
    {MainControl::UnmarkAllFiles, Kind::Button, "全Mark取消(&N)", true},
    {MainControl::FolderInfoChange, Kind::Check, "Folder情報変更", true},
    {MainControl::FolderSubFolders, Kind::Check, "SubFolderも", false},
    {MainControl::FolderMarkLinked, Kind::Check, "Mark連動表示()", false},
    {MainControl::FolderSetting, Kind::Button, "Folder設定", false},
    {MainControl::FolderTree, Kind::Tree, "", false},
    {MainControl::FolderClear, Kind::Button, "Clear", false},
    {MainControl::FolderMarkAll, Kind::Button, "全Mark", false},
    {MainControl::FolderUnmarkAll, Kind::Button, "全Mark取消", false},
    {MainControl::FolderDisplay, Kind::Button, "表示", false},
    {MainControl::FolderChange, Kind::Button, "変更", false},
};

// The text of the label whose buddy the widget is.
QString buddyCaption(CQuorvelDlg& dlg, QWidget* widget) {
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->buddy() == widget) {
            return label->text();
        }
    }
    return {};
}

// The caption a user (or a screen reader) finds for the control.
QString shownCaption(CQuorvelDlg& dlg, const ExpectedControl& expected) {
    QWidget* widget = dlg.control<QWidget>(expected.id);
    switch (expected.kind) {
        case Kind::Edit:
        case Kind::Combo:
            return buddyCaption(dlg, widget);
        case Kind::ReadOnlyEdit:
            // The four date labels are read-only edits themselves.
            return expected.id >= MainControl::EditTimeLabel
                       ? static_cast<QLineEdit*>(widget)->text()
                       : buddyCaption(dlg, widget);
        case Kind::Picker:
            return widget->accessibleName();
        case Kind::Check:
        case Kind::Radio:
        case Kind::Button:
            return static_cast<QAbstractButton*>(widget)->text();
        case Kind::Label:
            return static_cast<QLabel*>(widget)->text();
        case Kind::Group:
            return static_cast<QGroupBox*>(widget)->title();
        case Kind::Tree:
            return {};
    }
    return {};
}

bool hasKind(QWidget* widget, Kind kind) {
    switch (kind) {
        case Kind::Edit:
            return qobject_cast<QLineEdit*>(widget) &&
                   !qobject_cast<QLineEdit*>(widget)->isReadOnly();
        case Kind::ReadOnlyEdit:
            return qobject_cast<QLineEdit*>(widget) &&
                   qobject_cast<QLineEdit*>(widget)->isReadOnly();
        case Kind::Check:
            return qobject_cast<QCheckBox*>(widget) != nullptr;
        case Kind::Radio:
            return qobject_cast<QRadioButton*>(widget) != nullptr;
        case Kind::Button:
            return qobject_cast<QPushButton*>(widget) != nullptr;
        case Kind::Picker:
            return qobject_cast<QDateTimeEdit*>(widget) != nullptr;
        case Kind::Combo:
            return qobject_cast<QComboBox*>(widget) != nullptr;
        case Kind::Label:
            return qobject_cast<QLabel*>(widget) != nullptr;
        case Kind::Tree:
            return qobject_cast<QTreeWidget*>(widget) != nullptr;
        case Kind::Group:
            return qobject_cast<QGroupBox*>(widget) != nullptr;
    }
    return false;
}

using MainDialog = DialogFixture;

TEST_F(MainDialog, EveryControlHasItsIdKindCaptionAndFirstStartState) {
    CQuorvelDlg& dlg = openDialog();
    for (const ExpectedControl& expected : kControls) {
        QWidget* widget = dlg.control<QWidget>(expected.id);
        ASSERT_NE(widget, nullptr) << expected.id;
        EXPECT_TRUE(hasKind(widget, expected.kind)) << expected.id;
        EXPECT_EQ(shownCaption(dlg, expected), QString::fromUtf8(expected.caption)) << expected.id;
        EXPECT_EQ(widget->isEnabled(), expected.enabled) << expected.id;
        EXPECT_FALSE(widget->accessibleName().contains(QString::number(expected.id)));
        if (expected.kind == Kind::Check && expected.caption == std::string("変更")) {
            EXPECT_FALSE(static_cast<QCheckBox*>(widget)->isChecked()) << expected.id;
        }
    }
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_FALSE(dlg.control<QWidget>(MainControl::FileList)->accessibleName().isEmpty());
    EXPECT_FALSE(dlg.control<QWidget>(MainControl::FolderTree)->accessibleName().isEmpty());
    EXPECT_TRUE(dlg.control<QPushButton>(MainControl::ShowFile)->isDefault());
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "fixed size";
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(MainDialog, FirstStartUsesTheDefaults) {
    CQuorvelDlg& dlg = openDialog();
    EXPECT_TRUE(dlg.control<QCheckBox>(MainControl::SubDirSearch)->isChecked());
    EXPECT_EQ(dlg.control<QComboBox>(MainControl::FileKindCombo)->currentText(),
              QStringLiteral("*.doc;*.xls;*.ppt;*.jtd"));
    EXPECT_EQ(dlg.control<QComboBox>(MainControl::FileKindCombo)->count(), 18);
    EXPECT_EQ(dlg.control<QComboBox>(MainControl::FileKindCombo)
                  ->findText(QStringLiteral("*.docx;*.xlsx;*.pptx")),
              15);
    EXPECT_EQ(dlg.control<QComboBox>(MainControl::FileKindCombo)->itemText(17),
              QStringLiteral("*.*"));
    EXPECT_FALSE(dlg.control<QAction>(MenuCommand::ForceGeneration)->isChecked());
    EXPECT_FALSE(document::ForceGenerationProperty);
    EXPECT_TRUE(dlg.control<QRadioButton>(MainControl::NoChangeRadio)->isChecked());
    EXPECT_EQ(dlg.SelectedTimeStampMode(), quorvel::batch::TimeStampMode::NoChange);
    EXPECT_EQ(dlg.fileList().headerItem()->text(0), QStringLiteral("ファイル名"));
    for (int id : {MainControl::FileModifiedPicker, MainControl::FileCreatedPicker,
                   MainControl::FileAccessedPicker}) {
        EXPECT_EQ(dlg.control<QDateTimeEdit>(id)->displayFormat(),
                  QStringLiteral("yy/MM/dd HH:mm:ss"));
    }
    for (int id : {MainControl::EditTimePicker, MainControl::LastPrintedPicker,
                   MainControl::CreatedPicker, MainControl::LastSavedPicker}) {
        EXPECT_EQ(dlg.control<QDateTimeEdit>(id)->displayFormat(),
                  QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    }
    for (QDateTimeEdit* picker : dlg.findChildren<QDateTimeEdit*>()) {
        std::int64_t shown = 0;
        ASSERT_TRUE(ui::pickerSeconds(*picker, shown));
        EXPECT_LE(std::abs(shown - static_cast<std::int64_t>(std::time(nullptr))), 5)
            << picker->objectName().toStdString();
    }
    dlg.control<QRadioButton>(MainControl::KeepTimeStampsRadio)->click();
    EXPECT_EQ(dlg.SelectedTimeStampMode(), quorvel::batch::TimeStampMode::KeepTimeStamps);
}

TEST_F(MainDialog, MenuHoldsItsCommandsAndForceGenerationToggles) {
    CQuorvelDlg& dlg = openDialog();
    const std::pair<int, const char*> commands[] = {
        {MenuCommand::DateIncrementSetting, "日時増分設定(&T)"},
        {MenuCommand::ForceGeneration, "プロパティが存在しない場合、作成する（&F)"},
        {MenuCommand::OutputToFile, "プロパタイ表示内容をファイルに出力"},
        {MenuCommand::ApplyCsv, "CSVファイルの値を適用(&A)..."},
        {MenuCommand::UndoRun, "実行を元に戻す(&U)..."},
        {MenuCommand::Help, "&Help"},
        {MenuCommand::Version, "&Version"},
    };
    for (const auto& [id, caption] : commands) {
        ASSERT_NE(dlg.control<QAction>(id), nullptr) << id;
        EXPECT_EQ(dlg.control<QAction>(id)->text(), QString::fromUtf8(caption));
    }
    QAction* force = dlg.control<QAction>(MenuCommand::ForceGeneration);
    force->trigger();
    EXPECT_TRUE(force->isChecked());
    EXPECT_TRUE(document::ForceGenerationProperty);
    force->trigger();
    EXPECT_FALSE(force->isChecked());
    EXPECT_FALSE(document::ForceGenerationProperty);
}

TEST_F(MainDialog, StoredSettingsAreShownAndTheClosingStateIsSaved) {
    {
        QSettings store(QSettings::defaultFormat(), QSettings::UserScope,
                        QString::fromLatin1(Settings::kOrganization),
                        QCoreApplication::applicationName());
        store.beginGroup(QString::fromLatin1(Settings::kSection));
        store.setValue(QStringLiteral("FileKind"), QStringLiteral("*.xls"));
        store.setValue(QStringLiteral("SubDirCheckSetCheck"), 0);
        store.setValue(QStringLiteral("ForceGenerationProperty"), 1);
    }
    CQuorvelDlg& dlg = openDialog();
    EXPECT_EQ(dlg.control<QComboBox>(MainControl::FileKindCombo)->currentText(),
              QStringLiteral("*.xls"));
    EXPECT_FALSE(dlg.control<QCheckBox>(MainControl::SubDirSearch)->isChecked());
    EXPECT_FALSE(dlg.control<QComboBox>(MainControl::FileKindCombo)->isEnabled());
    EXPECT_FALSE(dlg.control<QLabel>(MainControl::FileKindLabel)->isEnabled());
    EXPECT_TRUE(dlg.control<QAction>(MenuCommand::ForceGeneration)->isChecked());
    EXPECT_TRUE(document::ForceGenerationProperty);

    dlg.control<QCheckBox>(MainControl::SubDirSearch)->click();
    EXPECT_TRUE(dlg.control<QComboBox>(MainControl::FileKindCombo)->isEnabled());
    dlg.control<QAction>(MenuCommand::ForceGeneration)->trigger();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);

    EXPECT_TRUE(Settings::subDirCheck());
    EXPECT_FALSE(Settings::forceGeneration());
    EXPECT_EQ(Settings::fileKind(), QStringLiteral("*.xls")) << "never written";
}

TEST_F(MainDialog, CloseButtonSavesLikeEscape) {
    CQuorvelDlg& dlg = openDialog();
    dlg.control<QCheckBox>(MainControl::SubDirSearch)->click();
    dlg.control<QAction>(MenuCommand::ForceGeneration)->trigger();
    dlg.control<QPushButton>(MainControl::Exit)->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(Settings::subDirCheck());
    EXPECT_TRUE(Settings::forceGeneration());
    document::ForceGenerationProperty = false;
}

TEST_F(MainDialog, ToolTipsCarryTheirTexts) {
    CQuorvelDlg& dlg = openDialog();
    const std::pair<std::vector<int>, const char*> tips[] = {
        {{MainControl::TitleEdit, MainControl::CompanyEdit, MainControl::EditTimeLabel,
          MainControl::LastSavedLabel, MainControl::EditTimePicker, MainControl::LastSavedPicker},
         "内容を変更したい時、右側のチェックボックスをチェックしてください"},
        {{MainControl::PageCountEdit, MainControl::ParagraphCountEdit}, "表示のみ、変更不可の内容"},
        {{MainControl::NoChangeRadio}, "Time StampがFile Propertyを変更する日時になる"},
        {{MainControl::AlsoTimeStampsRadio}, "Time Stampを以下の日時に変更する"},
        {{MainControl::TimeStampsOnlyRadio},
         "File PropertyがなくてもTime Stampを以下の日時に変更する"},
        {{MainControl::KeepTimeStampsRadio, MainControl::FileCreatedPicker,
          MainControl::FileAccessedPicker},
         "File Propertyを変更しても、FileのTime Stampが元のままに保持する"},
        {{MainControl::MarkLinkedDisplay},
         "カーソルキーで左側のファイル名に移動する度に、該当ファイルのプロパティが表示される"},
        {{MainControl::SubDirSearch}, "FolderをDrag&Dropする時Floder配下のﾌｧｲﾙをﾌｧｲﾙﾘｽﾄに設定"},
        {{MainControl::FileKindCombo}, "Drag&Dropでﾌｧｲﾙ選択時に配下ﾌｧｲﾙの種類を指定して下さい"},
        {{MainControl::FolderMarkAll}, "全てのフォルダをマーク"},
        {{MainControl::FolderTree},
         "「Folder設定」ボタン又はDrug&Dropで変更対象のフォルダを設定してください。"},
        {{MainControl::FolderUnmarkAll}, "全てのマーク取り消し"},
        {{MainControl::FolderClear}, "フォルダリストクリア"},
        {{MainControl::FolderChange}, "マークフォルダの日時情報設定"},
        {{MainControl::FolderSubFolders}, "マークされたフォルダのサブフォルダも変更対象"},
        {{MainControl::FileModifiedPicker, MainControl::FolderSetting, MainControl::ShowFile}, ""},
    };
    for (const auto& [ids, text] : tips) {
        for (int id : ids) {
            EXPECT_EQ(dlg.control<QWidget>(id)->toolTip(), QString::fromUtf8(text)) << id;
        }
    }
}

TEST_F(MainDialog, ChangeBoxButtonsTouchOnlyEnabledBoxes) {
    CQuorvelDlg& dlg = openDialog();
    auto* disabledTicked = dlg.control<QCheckBox>(MainControl::CategoryChange);
    auto* disabledUnticked = dlg.control<QCheckBox>(MainControl::LastPrintedChange);
    disabledTicked->setChecked(true);
    disabledTicked->setEnabled(false);
    disabledUnticked->setEnabled(false);
    dlg.control<QPushButton>(MainControl::CheckAllChanges)->click();
    for (int id : CQuorvelDlg::kChangeBoxIds) {
        EXPECT_EQ(dlg.control<QCheckBox>(id)->isChecked(), id != MainControl::LastPrintedChange)
            << id;
    }
    dlg.control<QPushButton>(MainControl::UncheckAllChanges)->click();
    for (int id : CQuorvelDlg::kChangeBoxIds) {
        EXPECT_EQ(dlg.control<QCheckBox>(id)->isChecked(), id == MainControl::CategoryChange) << id;
    }
}

TEST_F(MainDialog, MarkLinkedDisplayDisablesTheShowButton) {
    CQuorvelDlg& dlg = openDialog();
    dlg.control<QCheckBox>(MainControl::MarkLinkedDisplay)->click();
    EXPECT_FALSE(dlg.control<QPushButton>(MainControl::ShowFile)->isEnabled());
    dlg.control<QCheckBox>(MainControl::MarkLinkedDisplay)->click();
    EXPECT_TRUE(dlg.control<QPushButton>(MainControl::ShowFile)->isEnabled());
}

TEST_F(MainDialog, ListButtonsSetTheCaption) {
    CQuorvelDlg& dlg = openDialog();
    CFileListCtrl& list = dlg.fileList();
    const TempFolder folder;
    const QString a = QString::fromStdString(folder.makeFile("a.doc"));
    const QString b = QString::fromStdString(folder.makeFile("b.doc"));
    prompts.fileAnswers.push_back({{a, b, a}, {}});
    dlg.control<QPushButton>(MainControl::FileSetting)->click();
    EXPECT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/2)"));
    dlg.control<QPushButton>(MainControl::MarkAllFiles)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：2/2)"));
    dlg.control<QPushButton>(MainControl::UnmarkAllFiles)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/2)"));
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    dlg.control<QPushButton>(MainControl::RemoveMarkedFiles)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/1)"));
    dlg.control<QPushButton>(MainControl::ClearList)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/0)"));
    EXPECT_FALSE(list.isEnabled());
}

TEST_F(MainDialog, HeaderClickSortsAndDoubleClickToggles) {
    CQuorvelDlg& dlg = openDialog();
    CFileListCtrl& list = dlg.fileList();
    g_sortDescending = 0;
    list.AddFile(QStringLiteral("/b"));
    list.AddFile(QStringLiteral("/a"));
    const QRect header = list.header()->rect();
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, header.center());
    EXPECT_EQ(list.RowPath(0), shownPath(QStringLiteral("/a")));
    const QPoint onFirst = list.visualItemRect(list.topLevelItem(0)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, onFirst);
    EXPECT_TRUE(list.IsRowMarked(0));
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：1/2)"));
}

TEST_F(MainDialog, VersionOpensTheAboutBox) {
    CQuorvelDlg& dlg = openDialog();
    QString seen;
    prompts.dialogScripts.push_back([&](QDialog& about) {
        seen = about.findChild<QPushButton*>(idName(AboutControl::WebPage))->text();
        return QDialog::Accepted;
    });
    dlg.control<QAction>(MenuCommand::Version)->trigger();
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Quorvelのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(seen.startsWith(QStringLiteral("https://")));
}

}  // namespace
}  // namespace quorvel::test

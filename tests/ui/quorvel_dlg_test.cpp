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
#include "filelist/file_list_ctrl.h"
#include "props/property_access.h"
#include "support/dialog_fixture.h"
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
    {1037, Kind::Edit, "Title", true},
    {1038, Kind::Edit, "表題", true},
    {1039, Kind::Edit, "元作成者", true},
    {1040, Kind::Edit, "KeyWord", true},
    {1041, Kind::Edit, "Comment", true},
    {1042, Kind::Edit, "Template", true},
    {1043, Kind::Edit, "最終保存者", true},
    {1044, Kind::Edit, "改訂", true},
    {1045, Kind::Edit, "APP名", true},
    {1046, Kind::Edit, "分類", true},
    {1047, Kind::Edit, "会社", true},
    {1048, Kind::ReadOnlyEdit, "頁数", true},
    {1049, Kind::ReadOnlyEdit, "単語数", true},
    {1050, Kind::ReadOnlyEdit, "文字数", true},
    {1051, Kind::ReadOnlyEdit, "行数", true},
    {1052, Kind::ReadOnlyEdit, "段落数", true},
    {1061, Kind::Check, "変更", true},
    {1062, Kind::Check, "変更", true},
    {1063, Kind::Check, "変更", true},
    {1064, Kind::Check, "変更", true},
    {1065, Kind::Check, "変更", true},
    {1066, Kind::Check, "変更", true},
    {1067, Kind::Check, "変更", true},
    {1068, Kind::Check, "変更", true},
    {1069, Kind::Check, "変更", true},
    {1070, Kind::Check, "変更", true},
    {1071, Kind::Check, "変更", true},
    {1093, Kind::ReadOnlyEdit, "編集日時", true},
    {1094, Kind::ReadOnlyEdit, "最終印刷日時", true},
    {1095, Kind::ReadOnlyEdit, "作成日時", true},
    {1096, Kind::ReadOnlyEdit, "最終保存日時", true},
    {1080, Kind::Picker, "編集日時", true},
    {1081, Kind::Picker, "最終印刷日時", true},
    {1082, Kind::Picker, "作成日時", true},
    {1057, Kind::Picker, "最終保存日時", true},
    {1083, Kind::Check, "変更", true},
    {1084, Kind::Check, "変更", true},
    {1085, Kind::Check, "変更", true},
    {1072, Kind::Check, "変更", true},
    {1088, Kind::Group, "File Time Stamp", true},
    {1078, Kind::Radio, "変更無し", true},
    {1076, Kind::Radio, "Time Stampも変更", true},
    {1077, Kind::Radio, "File Time Stampのみ変更", true},
    {1089, Kind::Radio, "File Time Stampを元のまま", true},
    {1086, Kind::Picker, "作成日時", true},
    {1090, Kind::Picker, "ｱｸｾｽ日時", true},
    {1079, Kind::Picker, "更新日時", true},
    {1007, Kind::Check, "S&ubDirectoryも検索", true},
    {1021, Kind::Label, "File種類(Dro&pDrag時）", true},
    {1019, Kind::Combo, "File種類(Dro&pDrag時）", true},
    {1073, Kind::Button, "全変更選択(&T)", true},
    {1074, Kind::Button, "全選択取消(&R)", true},
    {1, Kind::Button, "表示(&W)", true},
    {1059, Kind::Button, "変更(&A)", true},
    {2, Kind::Button, "終了(&E)", true},
    {1075, Kind::Label, "", true},
    {1112, Kind::Tree, "", false},
    {1060, Kind::Check, "Mark連動表示(&S)", true},
    {1008, Kind::Button, "&File設定", true},
    {1009, Kind::Button, "mark F&ile除外", true},
    {1010, Kind::Button, "&ClearList", true},
    {1011, Kind::Button, "全Mark(&L)", true},
    {1012, Kind::Button, "全Mark取消(&N)", true},
    {1113, Kind::Check, "Folder情報変更", true},
    {1114, Kind::Check, "SubFolderも", false},
    {1087, Kind::Check, "Mark連動表示()", false},
    {1013, Kind::Button, "Folder設定", false},
    {1115, Kind::Tree, "", false},
    {1014, Kind::Button, "Clear", false},
    {1015, Kind::Button, "全Mark", false},
    {1016, Kind::Button, "全Mark取消", false},
    {1018, Kind::Button, "表示", false},
    {1017, Kind::Button, "変更", false},
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
            return expected.id >= 1093 ? static_cast<QLineEdit*>(widget)->text()
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
    EXPECT_FALSE(dlg.control<QWidget>(1112)->accessibleName().isEmpty());
    EXPECT_FALSE(dlg.control<QWidget>(1115)->accessibleName().isEmpty());
    EXPECT_TRUE(dlg.control<QPushButton>(1)->isDefault());
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize()) << "fixed size";
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(MainDialog, FirstStartUsesTheDefaults) {
    CQuorvelDlg& dlg = openDialog();
    EXPECT_TRUE(dlg.control<QCheckBox>(1007)->isChecked());
    EXPECT_EQ(dlg.control<QComboBox>(1019)->currentText(),
              QStringLiteral("*.doc;*.xls;*.ppt;*.jtd"));
    EXPECT_EQ(dlg.control<QComboBox>(1019)->count(), 18);
    EXPECT_EQ(dlg.control<QComboBox>(1019)->findText(QStringLiteral("*.docx;*.xlsx;*.pptx")), 15);
    EXPECT_EQ(dlg.control<QComboBox>(1019)->itemText(17), QStringLiteral("*.*"));
    EXPECT_FALSE(dlg.control<QAction>(32783)->isChecked());
    EXPECT_FALSE(props::ForceGenerationProperty);
    EXPECT_TRUE(dlg.control<QRadioButton>(1078)->isChecked());
    EXPECT_EQ(dlg.SelectedTimeStampMode(), TimeStampMode::NoChange);
    EXPECT_EQ(dlg.fileList().headerItem()->text(0), QStringLiteral("ファイル名"));
    for (int id : {1079, 1086, 1090}) {
        EXPECT_EQ(dlg.control<QDateTimeEdit>(id)->displayFormat(),
                  QStringLiteral("yy/MM/dd HH:mm:ss"));
    }
    for (int id : {1080, 1081, 1082, 1057}) {
        EXPECT_EQ(dlg.control<QDateTimeEdit>(id)->displayFormat(),
                  QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    }
    for (QDateTimeEdit* picker : dlg.findChildren<QDateTimeEdit*>()) {
        std::int64_t shown = 0;
        ASSERT_TRUE(ui::pickerSeconds(*picker, shown));
        EXPECT_LE(std::abs(shown - static_cast<std::int64_t>(std::time(nullptr))), 5)
            << picker->objectName().toStdString();
    }
    dlg.control<QRadioButton>(1089)->click();
    EXPECT_EQ(dlg.SelectedTimeStampMode(), TimeStampMode::KeepTimeStamps);
}

TEST_F(MainDialog, MenuHoldsItsCommandsAndForceGenerationToggles) {
    CQuorvelDlg& dlg = openDialog();
    const std::pair<int, const char*> commands[] = {
        {32777, "日時増分設定(&T)"},
        {32783, "プロパティが存在しない場合、作成する（&F)"},
        {32778, "プロパタイ表示内容をファイルに出力"},
        {32776, "&Help"},
        {32772, "&Version"},
    };
    for (const auto& [id, caption] : commands) {
        ASSERT_NE(dlg.control<QAction>(id), nullptr) << id;
        EXPECT_EQ(dlg.control<QAction>(id)->text(), QString::fromUtf8(caption));
    }
    QAction* force = dlg.control<QAction>(32783);
    force->trigger();
    EXPECT_TRUE(force->isChecked());
    EXPECT_TRUE(props::ForceGenerationProperty);
    force->trigger();
    EXPECT_FALSE(force->isChecked());
    EXPECT_FALSE(props::ForceGenerationProperty);
}

TEST_F(MainDialog, StoredSettingsAreShownAndTheClosingStateIsSaved) {
    {
        QSettings store(QString::fromLatin1(Settings::kOrganization),
                        QCoreApplication::applicationName());
        store.beginGroup(QString::fromLatin1(Settings::kSection));
        store.setValue(QStringLiteral("FileKind"), QStringLiteral("*.xls"));
        store.setValue(QStringLiteral("SubDirCheckSetCheck"), 0);
        store.setValue(QStringLiteral("ForceGenerationProperty"), 1);
    }
    CQuorvelDlg& dlg = openDialog();
    EXPECT_EQ(dlg.control<QComboBox>(1019)->currentText(), QStringLiteral("*.xls"));
    EXPECT_FALSE(dlg.control<QCheckBox>(1007)->isChecked());
    EXPECT_FALSE(dlg.control<QComboBox>(1019)->isEnabled());
    EXPECT_FALSE(dlg.control<QLabel>(1021)->isEnabled());
    EXPECT_TRUE(dlg.control<QAction>(32783)->isChecked());
    EXPECT_TRUE(props::ForceGenerationProperty);

    dlg.control<QCheckBox>(1007)->click();
    EXPECT_TRUE(dlg.control<QComboBox>(1019)->isEnabled());
    dlg.control<QAction>(32783)->trigger();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);

    EXPECT_TRUE(Settings::subDirCheck());
    EXPECT_FALSE(Settings::forceGeneration());
    EXPECT_EQ(Settings::fileKind(), QStringLiteral("*.xls")) << "never written";
}

TEST_F(MainDialog, CloseButtonSavesLikeEscape) {
    CQuorvelDlg& dlg = openDialog();
    dlg.control<QCheckBox>(1007)->click();
    dlg.control<QAction>(32783)->trigger();
    dlg.control<QPushButton>(2)->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(Settings::subDirCheck());
    EXPECT_TRUE(Settings::forceGeneration());
    props::ForceGenerationProperty = false;
}

TEST_F(MainDialog, ToolTipsCarryTheirTexts) {
    CQuorvelDlg& dlg = openDialog();
    const std::pair<std::vector<int>, const char*> tips[] = {
        {{1037, 1047, 1093, 1096, 1080, 1057},
         "内容を変更したい時、右側のチェックボックスをチェックしてください"},
        {{1048, 1052}, "表示のみ、変更不可の内容"},
        {{1078}, "Time StampがFile Propertyを変更する日時になる"},
        {{1076}, "Time Stampを以下の日時に変更する"},
        {{1077}, "File PropertyがなくてもTime Stampを以下の日時に変更する"},
        {{1089, 1086, 1090}, "File Propertyを変更しても、FileのTime Stampが元のままに保持する"},
        {{1060},
         "カーソルキーで左側のファイル名に移動する度に、該当ファイルのプロパティが表示される"},
        {{1007}, "FolderをDrag&Dropする時Floder配下のﾌｧｲﾙをﾌｧｲﾙﾘｽﾄに設定"},
        {{1019}, "Drag&Dropでﾌｧｲﾙ選択時に配下ﾌｧｲﾙの種類を指定して下さい"},
        {{1015}, "全てのフォルダをマーク"},
        {{1115}, "「Folder設定」ボタン又はDrug&Dropで変更対象のフォルダを設定してください。"},
        {{1016}, "全てのマーク取り消し"},
        {{1014}, "フォルダリストクリア"},
        {{1017}, "マークフォルダの日時情報設定"},
        {{1114}, "マークされたフォルダのサブフォルダも変更対象"},
        {{1079, 1013, 1}, ""},
    };
    for (const auto& [ids, text] : tips) {
        for (int id : ids) {
            EXPECT_EQ(dlg.control<QWidget>(id)->toolTip(), QString::fromUtf8(text)) << id;
        }
    }
}

TEST_F(MainDialog, ChangeBoxButtonsTouchOnlyEnabledBoxes) {
    CQuorvelDlg& dlg = openDialog();
    auto* disabledTicked = dlg.control<QCheckBox>(1070);
    auto* disabledUnticked = dlg.control<QCheckBox>(1084);
    disabledTicked->setChecked(true);
    disabledTicked->setEnabled(false);
    disabledUnticked->setEnabled(false);
    dlg.control<QPushButton>(1073)->click();
    for (int id : CQuorvelDlg::kChangeBoxIds) {
        EXPECT_EQ(dlg.control<QCheckBox>(id)->isChecked(), id != 1084) << id;
    }
    dlg.control<QPushButton>(1074)->click();
    for (int id : CQuorvelDlg::kChangeBoxIds) {
        EXPECT_EQ(dlg.control<QCheckBox>(id)->isChecked(), id == 1070) << id;
    }
}

TEST_F(MainDialog, MarkLinkedDisplayDisablesTheShowButton) {
    CQuorvelDlg& dlg = openDialog();
    dlg.control<QCheckBox>(1060)->click();
    EXPECT_FALSE(dlg.control<QPushButton>(1)->isEnabled());
    dlg.control<QCheckBox>(1060)->click();
    EXPECT_TRUE(dlg.control<QPushButton>(1)->isEnabled());
}

TEST_F(MainDialog, ListButtonsSetTheCaption) {
    CQuorvelDlg& dlg = openDialog();
    CFileListCtrl& list = dlg.fileList();
    const TempFolder folder;
    const QString a = QString::fromStdString(folder.makeFile("a.doc"));
    const QString b = QString::fromStdString(folder.makeFile("b.doc"));
    prompts.fileAnswers.push_back({{a, b, a}, {}});
    dlg.control<QPushButton>(1008)->click();
    EXPECT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/2)"));
    dlg.control<QPushButton>(1011)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：2/2)"));
    dlg.control<QPushButton>(1012)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/2)"));
    list.topLevelItem(1)->setCheckState(0, Qt::Checked);
    dlg.control<QPushButton>(1009)->click();
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：0/1)"));
    dlg.control<QPushButton>(1010)->click();
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
    EXPECT_EQ(list.RowPath(0), QStringLiteral("/a"));
    const QPoint onFirst = list.visualItemRect(list.topLevelItem(0)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, onFirst);
    EXPECT_TRUE(list.IsRowMarked(0));
    EXPECT_EQ(list.headerItem()->text(0), QStringLiteral("ファイル名(選択数/総数：1/2)"));
}

TEST_F(MainDialog, VersionOpensTheAboutBox) {
    CQuorvelDlg& dlg = openDialog();
    QString seen;
    prompts.dialogScripts.push_back([&](QDialog& about) {
        seen = about.findChild<QPushButton*>(QStringLiteral("1080"))->text();
        return QDialog::Accepted;
    });
    dlg.control<QAction>(32772)->trigger();
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Quorvelのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_TRUE(seen.startsWith(QStringLiteral("https://")));
}

}  // namespace
}  // namespace quorvel::test

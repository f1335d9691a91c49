// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/quorvel_dlg.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <ctime>

#include "app/about_dlg.h"
#include "app/settings.h"
#include "app/shell_open.h"
#include "document/document_access.h"
#include "filelist/file_list_ctrl.h"
#include "folders/folder_tree_ctrl.h"
#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "res/icon.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/date_increment_dlg.h"
#include "ui/picker_time.h"

namespace {

struct ControlSpec {
    int id;
    const char* caption;
};

// Text fields 0..15 with their labels; the five counts (no change box) are read-only.
struct TextFieldSpec {
    int editId;
    const char* label;
    int changeId;  // 0: no change box
};

constexpr TextFieldSpec kTextFields[] = {
    {MainControl::TitleEdit, "Title", MainControl::TitleChange},
    {MainControl::SubjectEdit, "表題", MainControl::SubjectChange},
    {MainControl::AuthorEdit, "元作成者", MainControl::AuthorChange},
    {MainControl::KeywordsEdit, "KeyWord", MainControl::KeywordsChange},
    {MainControl::CommentsEdit, "Comment", MainControl::CommentsChange},
    {MainControl::TemplateEdit, "Template", MainControl::TemplateChange},
    {MainControl::LastAuthorEdit, "最終保存者", MainControl::LastAuthorChange},
    {MainControl::RevisionEdit, "改訂", MainControl::RevisionChange},
    {MainControl::AppNameEdit, "APP名", MainControl::AppNameChange},
    {MainControl::CategoryEdit, "分類", MainControl::CategoryChange},
    {MainControl::CompanyEdit, "会社", MainControl::CompanyChange},
    {MainControl::PageCountEdit, "頁数", 0},
    {MainControl::WordCountEdit, "単語数", 0},
    {MainControl::CharCountEdit, "文字数", 0},
    {MainControl::LineCountEdit, "行数", 0},
    {MainControl::ParagraphCountEdit, "段落数", 0},
};

// Date fields 0..3: label (a read-only borderless edit), picker and change box.
struct DateFieldSpec {
    int labelId;
    const char* label;
    int pickerId;
    int changeId;
};

constexpr DateFieldSpec kDateFields[] = {
    {MainControl::EditTimeLabel, "編集日時", MainControl::EditTimePicker,
     MainControl::EditTimeChange},
    {MainControl::LastPrintedLabel, "最終印刷日時", MainControl::LastPrintedPicker,
     MainControl::LastPrintedChange},
    {MainControl::CreatedLabel, "作成日時", MainControl::CreatedPicker, MainControl::CreatedChange},
    {MainControl::LastSavedLabel, "最終保存日時", MainControl::LastSavedPicker,
     MainControl::LastSavedChange},
};

constexpr ControlSpec kTimeStampRadios[] = {
    {MainControl::NoChangeRadio, "変更無し"},
    {MainControl::AlsoTimeStampsRadio, "Time Stampも変更"},
    {MainControl::TimeStampsOnlyRadio, "File Time Stampのみ変更"},
    {MainControl::KeepTimeStampsRadio, "File Time Stampを元のまま"},
};

constexpr ControlSpec kFilePickers[] = {{MainControl::FileCreatedPicker, "作成日時"},
                                        {MainControl::FileAccessedPicker, "ｱｸｾｽ日時"},
                                        {MainControl::FileModifiedPicker, "更新日時"}};

constexpr ControlSpec kCommandButtons[] = {
    {MainControl::CheckAllChanges, "全変更選択(&T)"},
    {MainControl::UncheckAllChanges, "全選択取消(&R)"},
    {MainControl::ShowFile, "表示(&W)"},
    {MainControl::BatchChange, "変更(&A)"},
    {MainControl::CustomProperties, "ユーザー定義(&D)..."},
    {MainControl::Exit, "終了(&E)"},
};

constexpr ControlSpec kListButtons[] = {
    {MainControl::FileSetting, "&File設定"},
    {MainControl::RemoveMarkedFiles, "mark F&ile除外"},
    {MainControl::ClearList, "&ClearList"},
    {MainControl::MarkAllFiles, "全Mark(&L)"},
    {MainControl::UnmarkAllFiles, "全Mark取消(&N)"},
};

constexpr ControlSpec kFolderChecks[] = {{MainControl::FolderInfoChange, "Folder情報変更"},
                                         {MainControl::FolderSubFolders, "SubFolderも"},
                                         {MainControl::FolderMarkLinked, "Mark連動表示()"}};

constexpr ControlSpec kFolderButtons[] = {
    {MainControl::FolderClear, "Clear"},          {MainControl::FolderMarkAll, "全Mark"},
    {MainControl::FolderUnmarkAll, "全Mark取消"}, {MainControl::FolderDisplay, "表示"},
    {MainControl::FolderChange, "変更"},
};

constexpr const char* kFileKindPatterns[] = {
    "*.doc",
    "*.xls",
    "*.ppt",
    "*.jtd",
    "*.doc;*.xls",
    "*.doc;*.ppt",
    "*.doc;*.jtd",
    "*.xls;*.ppt",
    "*.xls;*.jtd",
    "*.ppt;*.jtd",
    "*.doc;*.xls;*.ppt",
    "*.doc;*.xls;*.jtd",
    "*jtd;*.xls;*.ppt",
    "*.doc;*.jtd;*.ppt",
    "*.doc;*.xls;*.ppt;*.jtd",
    "*.docx;*.xlsx;*.pptx",
    "*.odt;*.ods;*.odp",
    "*.*",
};

constexpr char kDefaultFileKind[] = "*.doc;*.xls;*.ppt;*.jtd";

// Tooltip texts by control id (string-table ids).
constexpr std::pair<int, int> kToolTips[] = {
    {MainControl::TitleEdit, StringId::ChangeableFieldTip},
    {MainControl::SubjectEdit, StringId::ChangeableFieldTip},
    {MainControl::AuthorEdit, StringId::ChangeableFieldTip},
    {MainControl::KeywordsEdit, StringId::ChangeableFieldTip},
    {MainControl::CommentsEdit, StringId::ChangeableFieldTip},
    {MainControl::TemplateEdit, StringId::ChangeableFieldTip},
    {MainControl::LastAuthorEdit, StringId::ChangeableFieldTip},
    {MainControl::RevisionEdit, StringId::ChangeableFieldTip},
    {MainControl::AppNameEdit, StringId::ChangeableFieldTip},
    {MainControl::CategoryEdit, StringId::ChangeableFieldTip},
    {MainControl::CompanyEdit, StringId::ChangeableFieldTip},
    {MainControl::EditTimeLabel, StringId::ChangeableFieldTip},
    {MainControl::LastPrintedLabel, StringId::ChangeableFieldTip},
    {MainControl::CreatedLabel, StringId::ChangeableFieldTip},
    {MainControl::LastSavedLabel, StringId::ChangeableFieldTip},
    {MainControl::EditTimePicker, StringId::ChangeableFieldTip},
    {MainControl::LastPrintedPicker, StringId::ChangeableFieldTip},
    {MainControl::CreatedPicker, StringId::ChangeableFieldTip},
    {MainControl::LastSavedPicker, StringId::ChangeableFieldTip},
    {MainControl::PageCountEdit, StringId::DisplayOnlyFieldTip},
    {MainControl::WordCountEdit, StringId::DisplayOnlyFieldTip},
    {MainControl::CharCountEdit, StringId::DisplayOnlyFieldTip},
    {MainControl::LineCountEdit, StringId::DisplayOnlyFieldTip},
    {MainControl::ParagraphCountEdit, StringId::DisplayOnlyFieldTip},
    {MainControl::NoChangeRadio, StringId::NoChangeTip},
    {MainControl::AlsoTimeStampsRadio, StringId::AlsoTimeStampsTip},
    {MainControl::TimeStampsOnlyRadio, StringId::TimeStampsOnlyTip},
    {MainControl::KeepTimeStampsRadio, StringId::KeepTimeStampsTip},
    {MainControl::FileCreatedPicker, StringId::KeepTimeStampsTip},
    {MainControl::FileAccessedPicker, StringId::KeepTimeStampsTip},
    {MainControl::MarkLinkedDisplay, StringId::MarkLinkedDisplayTip},
    {MainControl::SubDirSearch, StringId::SubDirSearchTip},
    {MainControl::FileKindCombo, StringId::FileKindTip},
    {MainControl::FolderMarkAll, StringId::FolderMarkAllTip},
    {MainControl::FolderTree, StringId::FolderTreeTip},
    {MainControl::FolderUnmarkAll, StringId::FolderUnmarkAllTip},
    {MainControl::FolderClear, StringId::FolderClearTip},
    {MainControl::FolderChange, StringId::FolderChangeTip},
    {MainControl::FolderSubFolders, StringId::FolderSubFoldersTip},
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <class T>
T* named(T* widget, int id) {
    widget->setObjectName(idName(id));
    return widget;
}

QLabel* buddyLabel(const char* caption, QWidget* buddy) {
    auto* label = new QLabel(text(caption));
    label->setBuddy(buddy);
    return label;
}

QCheckBox* changeBox(int id) {
    return named(new QCheckBox(QStringLiteral("変更")), id);
}

QDateTimeEdit* picker(int id, const char* format, const char* accessibleName) {
    auto* edit = named(new quorvel::ui::DateTimePicker, id);
    quorvel::ui::setUpPicker(*edit, text(format));
    edit->setAccessibleName(text(accessibleName));
    return edit;
}

}  // namespace

CQuorvelDlg::CQuorvelDlg(quorvel::ui::Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_dateIncrementDlg(std::make_unique<CDateIncrementDlg>(prompts)),
      m_icon(quorvel::res::quorvelIcon()) {
    BuildFileDialogFilter();
    BuildControls();
    ConnectHandlers();
    InitDialog();
}

CQuorvelDlg::~CQuorvelDlg() = default;

void CQuorvelDlg::BuildControls() {
    setObjectName(idName(TemplateId::MainDialog));
    setWindowTitle(QStringLiteral("Quorvel"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAcceptDrops(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildFileListPane(), 3);
    bottom->addWidget(BuildFolderPane(), 2);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(BuildMenu());
    layout->addWidget(BuildPropertyFields());
    layout->addWidget(BuildFileTimeStampGroup());
    layout->addWidget(BuildCommandRow());
    layout->addLayout(bottom, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Enter runs the display; set once the button belongs to the dialog.
    control<QPushButton>(MainControl::ShowFile)->setDefault(true);
}

QWidget* CQuorvelDlg::BuildPropertyFields() {
    auto* pane = new QWidget;
    auto* grid = new QGridLayout(pane);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnMinimumWidth(3, 12);
    int row = 0;
    for (const TextFieldSpec& field : kTextFields) {
        auto* edit = named(new QLineEdit, field.editId);
        const bool isCount = field.changeId == 0;
        edit->setReadOnly(isCount);
        // Editable fields on the left, the counts under the dates on the right.
        const int column = isCount ? 4 : 0;
        const int line = isCount ? row - 11 + 4 : row;
        grid->addWidget(buddyLabel(field.label, edit), line, column);
        grid->addWidget(edit, line, column + 1);
        if (!isCount) {
            grid->addWidget(changeBox(field.changeId), line, column + 2);
        }
        ++row;
    }
    for (int d = 0; d < 4; ++d) {
        const DateFieldSpec& field = kDateFields[d];
        auto* label = named(new QLineEdit, field.labelId);
        label->setReadOnly(true);
        label->setFrame(false);
        label->setFocusPolicy(Qt::NoFocus);
        label->setStyleSheet(QStringLiteral("background: transparent"));
        grid->addWidget(label, d, 4);
        grid->addWidget(picker(field.pickerId, quorvel::ui::kPropertyTimeFormat, field.label), d,
                        5);
        grid->addWidget(changeBox(field.changeId), d, 6);
    }
    return pane;
}

QWidget* CQuorvelDlg::BuildFileTimeStampGroup() {
    auto* group =
        named(new QGroupBox(QStringLiteral("File Time Stamp")), MainControl::FileTimeStampGroup);
    auto* grid = new QGridLayout(group);
    int column = 0;
    for (const ControlSpec& radio : kTimeStampRadios) {
        grid->addWidget(named(new QRadioButton(text(radio.caption)), radio.id), 0, column, 1, 2);
        column += 2;
    }
    column = 0;
    for (const ControlSpec& field : kFilePickers) {
        QDateTimeEdit* edit = picker(field.id, quorvel::ui::kFileTimeFormat, field.caption);
        grid->addWidget(buddyLabel(field.caption, edit), 1, column);
        grid->addWidget(edit, 1, column + 1);
        column += 2;
    }
    return group;
}

QWidget* CQuorvelDlg::BuildCommandRow() {
    auto* pane = new QWidget;
    auto* row = new QHBoxLayout(pane);
    row->setContentsMargins(0, 0, 0, 0);
    for (const ControlSpec& button : kCommandButtons) {
        row->addWidget(named(new QPushButton(text(button.caption)), button.id));
    }
    row->addWidget(named(new QLabel, MainControl::CustomPendingText));
    row->addWidget(named(new QLabel, MainControl::ProgressText), 1);
    return pane;
}

QWidget* CQuorvelDlg::BuildFileListPane() {
    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);

    auto* options = new QHBoxLayout;
    options->addWidget(
        named(new QCheckBox(QStringLiteral("S&ubDirectoryも検索")), MainControl::SubDirSearch));
    auto* kinds = named(new QComboBox, MainControl::FileKindCombo);
    kinds->setEditable(true);
    kinds->setEnabled(false);
    for (const char* pattern : kFileKindPatterns) {
        kinds->addItem(text(pattern));
    }
    auto* kindsLabel =
        named(buddyLabel("File種類(Dro&pDrag時）", kinds), MainControl::FileKindLabel);
    kindsLabel->setEnabled(false);
    options->addWidget(kindsLabel);
    options->addWidget(kinds, 1);
    column->addLayout(options);
    column->addWidget(
        named(new QCheckBox(QStringLiteral("Mark連動表示(&S)")), MainControl::MarkLinkedDisplay));

    m_fileList = named(new CFileListCtrl, MainControl::FileList);
    m_fileList->setAccessibleName(QStringLiteral("ファイルリスト"));
    m_fileList->setMinimumHeight(200);
    column->addWidget(m_fileList, 1);

    auto* buttons = new QHBoxLayout;
    for (const ControlSpec& button : kListButtons) {
        buttons->addWidget(named(new QPushButton(text(button.caption)), button.id));
    }
    column->addLayout(buttons);
    return pane;
}

QWidget* CQuorvelDlg::BuildFolderPane() {
    auto* group = new QGroupBox(QStringLiteral("Folder Time Stamp"));
    auto* column = new QVBoxLayout(group);
    auto* switches = new QGridLayout;
    int index = 0;
    for (const ControlSpec& box : kFolderChecks) {
        auto* check = named(new QCheckBox(text(box.caption)), box.id);
        check->setEnabled(box.id == MainControl::FolderInfoChange);
        switches->addWidget(check, index / 2, index % 2);
        ++index;
    }
    auto* folderSetting =
        named(new QPushButton(QStringLiteral("Folder設定")), MainControl::FolderSetting);
    folderSetting->setEnabled(false);
    switches->addWidget(folderSetting, 1, 1);
    column->addLayout(switches);

    m_folderTree = named(new CFolderTreeCtrl, MainControl::FolderTree);
    m_folderTree->setEnabled(false);
    column->addWidget(m_folderTree, 1);

    auto* buttons = new QGridLayout;
    index = 0;
    for (const ControlSpec& button : kFolderButtons) {
        auto* push = named(new QPushButton(text(button.caption)), button.id);
        push->setEnabled(false);
        buttons->addWidget(push, index / 3, index % 3);
        ++index;
    }
    column->addLayout(buttons);
    return group;
}

QMenuBar* CQuorvelDlg::BuildMenu() {
    auto* bar = named(new QMenuBar(this), TemplateId::MainMenu);
    const auto command = [this](QMenu* menu, int id, const char* caption) {
        QAction* action = menu->addAction(text(caption));
        action->setObjectName(idName(id));
        return action;
    };
    QMenu* setting = bar->addMenu(QStringLiteral("Settin&g"));
    command(setting, MenuCommand::DateIncrementSetting, "日時増分設定(&T)");
    command(setting, MenuCommand::ForceGeneration, "プロパティが存在しない場合、作成する（&F)")
        ->setCheckable(true);
    command(setting, MenuCommand::CustomProperties, "ユーザー定義プロパティ(&U)...");
    QMenu* output = bar->addMenu(QStringLiteral("&Output"));
    command(output, MenuCommand::OutputToFile, "プロパタイ表示内容をファイルに出力");
    command(output, MenuCommand::ApplyCsv, "CSVファイルの値を適用(&A)...");
    command(output, MenuCommand::UndoRun, "実行を元に戻す(&U)...");
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    command(help, MenuCommand::Help, "&Help");
    command(help, MenuCommand::Version, "&Version");
    return bar;
}

void CQuorvelDlg::SetUpToolTips() {
    for (const auto& [id, stringId] : kToolTips) {
        control<QWidget>(id)->setToolTip(quorvel::res::loadString(stringId));
    }
}

void CQuorvelDlg::ConnectHandlers() {
    connect(control<QPushButton>(MainControl::CheckAllChanges), &QPushButton::clicked, this,
            &CQuorvelDlg::OnCheckAllChanges);
    connect(control<QPushButton>(MainControl::UncheckAllChanges), &QPushButton::clicked, this,
            &CQuorvelDlg::OnUncheckAllChanges);
    connect(control<QPushButton>(MainControl::ShowFile), &QPushButton::clicked, this,
            &CQuorvelDlg::OnShowFile);
    connect(control<QPushButton>(MainControl::Exit), &QPushButton::clicked, this,
            &CQuorvelDlg::reject);
    connect(control<QCheckBox>(MainControl::SubDirSearch), &QCheckBox::clicked, this,
            &CQuorvelDlg::OnSubDirClicked);
    connect(control<QCheckBox>(MainControl::MarkLinkedDisplay), &QCheckBox::clicked, this,
            &CQuorvelDlg::OnMarkLinkedClicked);
    connect(control<QAction>(MenuCommand::ForceGeneration), &QAction::triggered, this,
            &CQuorvelDlg::OnForceGeneration);
    connect(control<QAction>(MenuCommand::Help), &QAction::triggered, this, &CQuorvelDlg::OnHelp);
    connect(control<QAction>(MenuCommand::Version), &QAction::triggered, this,
            &CQuorvelDlg::OnVersion);
    connect(control<QAction>(MenuCommand::OutputToFile), &QAction::triggered, this,
            &CQuorvelDlg::OnOutputToFile);
    connect(control<QAction>(MenuCommand::ApplyCsv), &QAction::triggered, this,
            &CQuorvelDlg::OnApplyCsv);
    connect(control<QAction>(MenuCommand::UndoRun), &QAction::triggered, this,
            &CQuorvelDlg::OnUndoRun);

    connect(m_fileList, &CFileListCtrl::rowChanged, this, &CQuorvelDlg::OnFileListRowChanged);
    // The list's own clicks go straight back to the list: the dialog has nothing to add.
    connect(m_fileList, &CFileListCtrl::rowDoubleClicked, m_fileList,
            &CFileListCtrl::ToggleRowMark);
    connect(m_fileList->header(), &QHeaderView::sectionClicked, m_fileList,
            &CFileListCtrl::SortRowsByPath);
    connect(control<QPushButton>(MainControl::FileSetting), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFileSetting);
    connect(control<QPushButton>(MainControl::RemoveMarkedFiles), &QPushButton::clicked, this,
            &CQuorvelDlg::OnRemoveMarkedFiles);
    connect(control<QPushButton>(MainControl::ClearList), &QPushButton::clicked, this,
            &CQuorvelDlg::OnClearList);
    connect(control<QPushButton>(MainControl::MarkAllFiles), &QPushButton::clicked, this,
            &CQuorvelDlg::OnMarkAllFiles);
    connect(control<QPushButton>(MainControl::UnmarkAllFiles), &QPushButton::clicked, this,
            &CQuorvelDlg::OnUnmarkAllFiles);

    connect(control<QCheckBox>(MainControl::FolderInfoChange), &QCheckBox::clicked, this,
            &CQuorvelDlg::OnFolderInfoChange);
    connect(control<QPushButton>(MainControl::FolderSetting), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderSetting);
    connect(control<QPushButton>(MainControl::FolderClear), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderClear);
    connect(control<QPushButton>(MainControl::FolderMarkAll), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderMarkAll);
    connect(control<QPushButton>(MainControl::FolderUnmarkAll), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderUnmarkAll);
    connect(control<QPushButton>(MainControl::FolderDisplay), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderDisplay);
    connect(control<QPushButton>(MainControl::FolderChange), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderChange);
    connect(m_folderTree, &QTreeWidget::currentItemChanged, this,
            &CQuorvelDlg::OnFolderTreeSelChanged);
    connect(control<QPushButton>(MainControl::BatchChange), &QPushButton::clicked, this,
            &CQuorvelDlg::OnBatchChange);
    connect(control<QAction>(MenuCommand::DateIncrementSetting), &QAction::triggered, this,
            &CQuorvelDlg::OnDateIncrementSetting);
    connect(control<QPushButton>(MainControl::CustomProperties), &QPushButton::clicked, this,
            &CQuorvelDlg::OnCustomProperties);
    connect(control<QAction>(MenuCommand::CustomProperties), &QAction::triggered, this,
            &CQuorvelDlg::OnCustomProperties);
}

void CQuorvelDlg::InitDialog() {
    for (std::size_t flag = 0; flag < kChangeBoxIds.size(); ++flag) {
        control<QCheckBox>(kChangeBoxIds[flag])->setChecked(m_changeFlags[flag] != 0);
    }
    setWindowIcon(m_icon);

    const QString fileKind = quorvel::app::Settings::fileKind();
    control<QComboBox>(MainControl::FileKindCombo)
        ->setEditText(fileKind.isEmpty() ? text(kDefaultFileKind) : fileKind);

    m_modulePath = QCoreApplication::applicationFilePath();
    m_lastFileFolder = QCoreApplication::applicationDirPath();

    control<QRadioButton>(MainControl::NoChangeRadio)->setChecked(true);
    // Like the platform's pickers, all seven start at the present moment.
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    for (QDateTimeEdit* picker : findChildren<QDateTimeEdit*>()) {
        quorvel::ui::setPickerSeconds(*picker, now);
    }
    for (const DateFieldSpec& field : kDateFields) {
        control<QLineEdit>(field.labelId)->setText(text(field.label));
    }
    SetUpToolTips();

    control<QCheckBox>(MainControl::SubDirSearch)
        ->setChecked(quorvel::app::Settings::subDirCheck());
    OnSubDirClicked();

    m_fileList->SetUpColumns({CFileListCtrl::BaseCaption()});

    quorvel::document::ForceGenerationProperty = quorvel::app::Settings::forceGeneration();
    control<QAction>(MenuCommand::ForceGeneration)
        ->setChecked(quorvel::document::ForceGenerationProperty);

    control<QLineEdit>(MainControl::TitleEdit)->setFocus();
}

quorvel::batch::TimeStampMode CQuorvelDlg::SelectedTimeStampMode() const {
    int mode = 0;
    for (const ControlSpec& radio : kTimeStampRadios) {
        if (control<QRadioButton>(radio.id)->isChecked()) {
            return static_cast<quorvel::batch::TimeStampMode>(mode);
        }
        ++mode;
    }
    return quorvel::batch::TimeStampMode::NoChange;
}

void CQuorvelDlg::ReadChangeFlags() {
    for (std::size_t flag = 0; flag < kChangeBoxIds.size(); ++flag) {
        m_changeFlags[flag] = control<QCheckBox>(kChangeBoxIds[flag])->isChecked() ? 1 : 0;
    }
}

void CQuorvelDlg::reject() {
    quorvel::app::Settings::setSubDirCheck(
        control<QCheckBox>(MainControl::SubDirSearch)->isChecked());
    quorvel::app::Settings::setForceGeneration(quorvel::document::ForceGenerationProperty);
    QDialog::reject();
}

void CQuorvelDlg::SetEnabledChangeBoxes(bool checked) {
    for (int id : kChangeBoxIds) {
        auto* box = control<QCheckBox>(id);
        if (box->isEnabled()) {
            box->setChecked(checked);
        }
    }
}

void CQuorvelDlg::OnCheckAllChanges() {
    SetEnabledChangeBoxes(true);
}

void CQuorvelDlg::OnUncheckAllChanges() {
    SetEnabledChangeBoxes(false);
}

void CQuorvelDlg::OnSubDirClicked() {
    const bool searchSubDirs = control<QCheckBox>(MainControl::SubDirSearch)->isChecked();
    control<QLabel>(MainControl::FileKindLabel)->setEnabled(searchSubDirs);
    control<QComboBox>(MainControl::FileKindCombo)->setEnabled(searchSubDirs);
}

void CQuorvelDlg::OnMarkLinkedClicked() {
    control<QPushButton>(MainControl::ShowFile)
        ->setEnabled(!control<QCheckBox>(MainControl::MarkLinkedDisplay)->isChecked());
}

void CQuorvelDlg::OnFileListRowChanged() {
    if (control<QCheckBox>(MainControl::MarkLinkedDisplay)->isChecked()) {
        ShowSelectedFile();
    }
}

void CQuorvelDlg::OnShowFile() {
    ShowSelectedFile();
    m_fileList->setFocus();
}

void CQuorvelDlg::OnForceGeneration() {
    quorvel::document::ForceGenerationProperty = !quorvel::document::ForceGenerationProperty;
    control<QAction>(MenuCommand::ForceGeneration)
        ->setChecked(quorvel::document::ForceGenerationProperty);
}

void CQuorvelDlg::OnHelp() {
    quorvel::app::openHelpFile();
}

void CQuorvelDlg::OnVersion() {
    CAboutDlg about(this);
    m_prompts.execDialog(about);
}

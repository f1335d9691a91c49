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
#include "filelist/file_list_ctrl.h"
#include "folders/folder_tree_ctrl.h"
#include "props/property_access.h"
#include "res/icon.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/control_ids.h"
#include "ui/date_increment_dlg.h"
#include "ui/picker_time.h"
#include "ui/prompts.h"

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
    {1037, "Title", 1061},      {1038, "表題", 1062},    {1039, "元作成者", 1063},
    {1040, "KeyWord", 1064},    {1041, "Comment", 1065}, {1042, "Template", 1066},
    {1043, "最終保存者", 1067}, {1044, "改訂", 1068},    {1045, "APP名", 1069},
    {1046, "分類", 1070},       {1047, "会社", 1071},    {1048, "頁数", 0},
    {1049, "単語数", 0},        {1050, "文字数", 0},     {1051, "行数", 0},
    {1052, "段落数", 0},
};

// Date fields 0..3: label (a read-only borderless edit), picker and change box.
struct DateFieldSpec {
    int labelId;
    const char* label;
    int pickerId;
    int changeId;
};

constexpr DateFieldSpec kDateFields[] = {
    {1093, "編集日時", 1080, 1083},
    {1094, "最終印刷日時", 1081, 1084},
    {1095, "作成日時", 1082, 1085},
    {1096, "最終保存日時", 1057, 1072},
};

constexpr ControlSpec kTimeStampRadios[] = {
    {1078, "変更無し"},
    {1076, "Time Stampも変更"},
    {1077, "File Time Stampのみ変更"},
    {1089, "File Time Stampを元のまま"},
};

constexpr ControlSpec kFilePickers[] = {{1086, "作成日時"}, {1090, "ｱｸｾｽ日時"}, {1079, "更新日時"}};

constexpr ControlSpec kCommandButtons[] = {
    {1073, "全変更選択(&T)"}, {1074, "全選択取消(&R)"}, {1, "表示(&W)"},
    {1059, "変更(&A)"},       {2, "終了(&E)"},
};

constexpr ControlSpec kListButtons[] = {
    {1008, "&File設定"},  {1009, "mark F&ile除外"}, {1010, "&ClearList"},
    {1011, "全Mark(&L)"}, {1012, "全Mark取消(&N)"},
};

constexpr ControlSpec kFolderChecks[] = {
    {1113, "Folder情報変更"}, {1114, "SubFolderも"}, {1087, "Mark連動表示()"}};

constexpr ControlSpec kFolderButtons[] = {
    {1014, "Clear"}, {1015, "全Mark"}, {1016, "全Mark取消"}, {1018, "表示"}, {1017, "変更"},
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
    {1037, 117}, {1038, 117}, {1039, 117}, {1040, 117}, {1041, 117}, {1042, 117}, {1043, 117},
    {1044, 117}, {1045, 117}, {1046, 117}, {1047, 117}, {1093, 117}, {1094, 117}, {1095, 117},
    {1096, 117}, {1080, 117}, {1081, 117}, {1082, 117}, {1057, 117}, {1048, 118}, {1049, 118},
    {1050, 118}, {1051, 118}, {1052, 118}, {1078, 120}, {1076, 143}, {1077, 144}, {1089, 145},
    {1086, 145}, {1090, 145}, {1060, 121}, {1007, 122}, {1019, 123}, {1015, 136}, {1115, 135},
    {1016, 137}, {1014, 138}, {1017, 139}, {1114, 140},
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
    setObjectName(idName(102));
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
    control<QPushButton>(1)->setDefault(true);
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
    auto* group = named(new QGroupBox(QStringLiteral("File Time Stamp")), 1088);
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
    row->addWidget(named(new QLabel, 1075), 1);
    return pane;
}

QWidget* CQuorvelDlg::BuildFileListPane() {
    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);

    auto* options = new QHBoxLayout;
    options->addWidget(named(new QCheckBox(QStringLiteral("S&ubDirectoryも検索")), 1007));
    auto* kinds = named(new QComboBox, 1019);
    kinds->setEditable(true);
    kinds->setEnabled(false);
    for (const char* pattern : kFileKindPatterns) {
        kinds->addItem(text(pattern));
    }
    auto* kindsLabel = named(buddyLabel("File種類(Dro&pDrag時）", kinds), 1021);
    kindsLabel->setEnabled(false);
    options->addWidget(kindsLabel);
    options->addWidget(kinds, 1);
    column->addLayout(options);
    column->addWidget(named(new QCheckBox(QStringLiteral("Mark連動表示(&S)")), 1060));

    m_fileList = named(new CFileListCtrl, 1112);
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
        check->setEnabled(box.id == 1113);
        switches->addWidget(check, index / 2, index % 2);
        ++index;
    }
    auto* folderSetting = named(new QPushButton(QStringLiteral("Folder設定")), 1013);
    folderSetting->setEnabled(false);
    switches->addWidget(folderSetting, 1, 1);
    column->addLayout(switches);

    m_folderTree = named(new CFolderTreeCtrl, 1115);
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
    auto* bar = named(new QMenuBar(this), 132);
    const auto command = [this](QMenu* menu, int id, const char* caption) {
        QAction* action = menu->addAction(text(caption));
        action->setObjectName(idName(id));
        return action;
    };
    QMenu* setting = bar->addMenu(QStringLiteral("Settin&g"));
    command(setting, 32777, "日時増分設定(&T)");
    command(setting, 32783, "プロパティが存在しない場合、作成する（&F)")->setCheckable(true);
    QMenu* output = bar->addMenu(QStringLiteral("&Output"));
    command(output, 32778, "プロパタイ表示内容をファイルに出力");
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    command(help, 32776, "&Help");
    command(help, 32772, "&Version");
    return bar;
}

void CQuorvelDlg::SetUpToolTips() {
    for (const auto& [id, stringId] : kToolTips) {
        control<QWidget>(id)->setToolTip(quorvel::res::loadString(stringId));
    }
}

void CQuorvelDlg::ConnectHandlers() {
    connect(control<QPushButton>(1073), &QPushButton::clicked, this,
            &CQuorvelDlg::OnCheckAllChanges);
    connect(control<QPushButton>(1074), &QPushButton::clicked, this,
            &CQuorvelDlg::OnUncheckAllChanges);
    connect(control<QPushButton>(1), &QPushButton::clicked, this, &CQuorvelDlg::OnShowFile);
    connect(control<QPushButton>(2), &QPushButton::clicked, this, &CQuorvelDlg::reject);
    connect(control<QCheckBox>(1007), &QCheckBox::clicked, this, &CQuorvelDlg::OnSubDirClicked);
    connect(control<QCheckBox>(1060), &QCheckBox::clicked, this, &CQuorvelDlg::OnMarkLinkedClicked);
    connect(control<QAction>(32783), &QAction::triggered, this, &CQuorvelDlg::OnForceGeneration);
    connect(control<QAction>(32776), &QAction::triggered, this, &CQuorvelDlg::OnHelp);
    connect(control<QAction>(32772), &QAction::triggered, this, &CQuorvelDlg::OnVersion);
    connect(control<QAction>(32778), &QAction::triggered, this, &CQuorvelDlg::OnOutputToFile);

    connect(m_fileList, &CFileListCtrl::rowChanged, this, &CQuorvelDlg::OnFileListRowChanged);
    // The list's own clicks go straight back to the list: the dialog has nothing to add.
    connect(m_fileList, &CFileListCtrl::rowDoubleClicked, m_fileList,
            &CFileListCtrl::ToggleRowMark);
    connect(m_fileList->header(), &QHeaderView::sectionClicked, m_fileList,
            &CFileListCtrl::SortRowsByPath);
    connect(control<QPushButton>(1008), &QPushButton::clicked, this, &CQuorvelDlg::OnFileSetting);
    connect(control<QPushButton>(1009), &QPushButton::clicked, this,
            &CQuorvelDlg::OnRemoveMarkedFiles);
    connect(control<QPushButton>(1010), &QPushButton::clicked, this, &CQuorvelDlg::OnClearList);
    connect(control<QPushButton>(1011), &QPushButton::clicked, this, &CQuorvelDlg::OnMarkAllFiles);
    connect(control<QPushButton>(1012), &QPushButton::clicked, this,
            &CQuorvelDlg::OnUnmarkAllFiles);

    connect(control<QCheckBox>(1113), &QCheckBox::clicked, this, &CQuorvelDlg::OnFolderInfoChange);
    connect(control<QPushButton>(1013), &QPushButton::clicked, this, &CQuorvelDlg::OnFolderSetting);
    connect(control<QPushButton>(1014), &QPushButton::clicked, this, &CQuorvelDlg::OnFolderClear);
    connect(control<QPushButton>(1015), &QPushButton::clicked, this, &CQuorvelDlg::OnFolderMarkAll);
    connect(control<QPushButton>(1016), &QPushButton::clicked, this,
            &CQuorvelDlg::OnFolderUnmarkAll);
    connect(control<QPushButton>(1018), &QPushButton::clicked, this, &CQuorvelDlg::OnFolderDisplay);
    connect(control<QPushButton>(1017), &QPushButton::clicked, this, &CQuorvelDlg::OnFolderChange);
    connect(m_folderTree, &QTreeWidget::currentItemChanged, this,
            &CQuorvelDlg::OnFolderTreeSelChanged);
    connect(control<QPushButton>(1059), &QPushButton::clicked, this, &CQuorvelDlg::OnBatchChange);
    connect(control<QAction>(32777), &QAction::triggered, this,
            &CQuorvelDlg::OnDateIncrementSetting);
}

void CQuorvelDlg::InitDialog() {
    for (std::size_t flag = 0; flag < kChangeBoxIds.size(); ++flag) {
        control<QCheckBox>(kChangeBoxIds[flag])->setChecked(m_changeFlags[flag] != 0);
    }
    setWindowIcon(m_icon);

    const QString fileKind = quorvel::app::Settings::fileKind();
    control<QComboBox>(1019)->setEditText(fileKind.isEmpty() ? text(kDefaultFileKind) : fileKind);

    m_modulePath = QCoreApplication::applicationFilePath();
    m_lastFileFolder = QCoreApplication::applicationDirPath();

    control<QRadioButton>(1078)->setChecked(true);
    // Like the platform's pickers, all seven start at the present moment.
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    for (QDateTimeEdit* picker : findChildren<QDateTimeEdit*>()) {
        quorvel::ui::setPickerSeconds(*picker, now);
    }
    for (const DateFieldSpec& field : kDateFields) {
        control<QLineEdit>(field.labelId)->setText(text(field.label));
    }
    SetUpToolTips();

    control<QCheckBox>(1007)->setChecked(quorvel::app::Settings::subDirCheck());
    OnSubDirClicked();

    m_fileList->SetUpColumns({CFileListCtrl::BaseCaption()});

    quorvel::props::ForceGenerationProperty = quorvel::app::Settings::forceGeneration();
    control<QAction>(32783)->setChecked(quorvel::props::ForceGenerationProperty);

    control<QLineEdit>(1037)->setFocus();
}

TimeStampMode CQuorvelDlg::SelectedTimeStampMode() const {
    int mode = 0;
    for (const ControlSpec& radio : kTimeStampRadios) {
        if (control<QRadioButton>(radio.id)->isChecked()) {
            return static_cast<TimeStampMode>(mode);
        }
        ++mode;
    }
    return TimeStampMode::NoChange;
}

void CQuorvelDlg::ReadChangeFlags() {
    for (std::size_t flag = 0; flag < kChangeBoxIds.size(); ++flag) {
        m_changeFlags[flag] = control<QCheckBox>(kChangeBoxIds[flag])->isChecked() ? 1 : 0;
    }
}

void CQuorvelDlg::reject() {
    quorvel::app::Settings::setSubDirCheck(control<QCheckBox>(1007)->isChecked());
    quorvel::app::Settings::setForceGeneration(quorvel::props::ForceGenerationProperty);
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
    const bool searchSubDirs = control<QCheckBox>(1007)->isChecked();
    control<QLabel>(1021)->setEnabled(searchSubDirs);
    control<QComboBox>(1019)->setEnabled(searchSubDirs);
}

void CQuorvelDlg::OnMarkLinkedClicked() {
    control<QPushButton>(1)->setEnabled(!control<QCheckBox>(1060)->isChecked());
}

void CQuorvelDlg::OnFileListRowChanged() {
    if (control<QCheckBox>(1060)->isChecked()) {
        ShowSelectedFile();
    }
}

void CQuorvelDlg::OnShowFile() {
    ShowSelectedFile();
    m_fileList->setFocus();
}

void CQuorvelDlg::OnForceGeneration() {
    quorvel::props::ForceGenerationProperty = !quorvel::props::ForceGenerationProperty;
    control<QAction>(32783)->setChecked(quorvel::props::ForceGenerationProperty);
}

void CQuorvelDlg::OnHelp() {
    quorvel::app::openHelpFile();
}

void CQuorvelDlg::OnVersion() {
    CAboutDlg about(this);
    m_prompts.execDialog(about);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/custom_properties_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <iterator>

#include "export/csv_format.h"
#include "platform/local_time.h"
#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/picker_time.h"

using quorvel::props::CustomEdit;
using quorvel::props::CustomProperty;
using quorvel::props::CustomType;

namespace {

// The types a change can give, in the order of the type box.
constexpr CustomType kSettableTypes[] = {CustomType::Text, CustomType::Integer, CustomType::Real,
                                         CustomType::Date, CustomType::Bool};

// The value field of each type: pages of the value stack.
enum ValuePage : int { TextPage, DatePage, BoolPage };

ValuePage valuePageOf(CustomType type) {
    switch (type) {
        case CustomType::Date:
            return DatePage;
        case CustomType::Bool:
            return BoolPage;
        default:
            return TextPage;
    }
}

template <class T>
T* named(T* widget, int id) {
    widget->setObjectName(idName(id));
    return widget;
}

QPushButton* button(const QString& caption, int id) {
    auto* push = named(new QPushButton(caption), id);
    push->setAutoDefault(false);
    return push;
}

QLabel* buddyLabel(const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

QTreeWidget* list(int id, const QString& accessibleName, const QStringList& headers) {
    auto* tree = named(new QTreeWidget, id);
    tree->setAccessibleName(accessibleName);
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->setAllColumnsShowFocus(true);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return tree;
}

int currentRow(const QTreeWidget& tree) {
    return tree.indexOfTopLevelItem(tree.currentItem());
}

}  // namespace

QString CustomTypeText(CustomType type) {
    switch (type) {
        case CustomType::Text:
            return QStringLiteral("文字列");
        case CustomType::Integer:
            return QStringLiteral("整数");
        case CustomType::Real:
            return QStringLiteral("実数");
        case CustomType::Date:
            return QStringLiteral("日付");
        case CustomType::Bool:
            return QStringLiteral("はい・いいえ");
        case CustomType::Other:
            break;
    }
    return QStringLiteral("その他");
}

QString CustomValueText(CustomType type, const std::string& canonical) {
    if (type == CustomType::Bool) {
        return canonical == "true" ? QStringLiteral("はい") : QStringLiteral("いいえ");
    }
    if (type == CustomType::Date) {
        const std::optional<std::uint64_t> fileTime = quorvel::props::customDateFileTime(canonical);
        const std::optional<std::string> local =
            fileTime
                ? quorvel::csv::formatLocalTime(quorvel::platform::fileTimeToUnixSeconds(*fileTime))
                : std::nullopt;
        return QString::fromStdString(local.value_or(canonical));
    }
    return QString::fromStdString(canonical);
}

CCustomPropertiesDlg::CCustomPropertiesDlg(quorvel::ui::Prompts& prompts, const QString& document,
                                           const quorvel::props::CustomProperties& shown,
                                           std::vector<CustomEdit> edits, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_shown(shown.items), m_edits(std::move(edits)) {
    setWindowTitle(QStringLiteral("ユーザー定義プロパティ"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildShownList(document, shown.status));
    layout->addWidget(BuildEntryFields());
    layout->addWidget(BuildEditList());
    layout->addLayout(BuildDialogButtons());
    OnTypeChanged();
    ShowEdits();
    resize(560, 520);
}

QWidget* CCustomPropertiesDlg::BuildShownList(const QString& document,
                                              quorvel::props::MessageCode status) {
    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    QString caption = document.isEmpty() ? QStringLiteral("表示中のファイルはありません。")
                                         : QStringLiteral("表示中のファイル：") + document;
    if (status != quorvel::props::kSuccess) {
        caption += u'\n' + quorvel::res::loadString(status);
    }
    auto* documentText = named(new QLabel(caption), CustomPropertiesControl::Document);
    documentText->setWordWrap(true);
    column->addWidget(documentText);

    m_shownList =
        list(CustomPropertiesControl::Shown, QStringLiteral("表示中のファイルのプロパティ"),
             {QStringLiteral("名前"), QStringLiteral("種類"), QStringLiteral("値"),
              QStringLiteral("備考")});
    for (const CustomProperty& property : m_shown) {
        m_shownList->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromStdString(property.name), CustomTypeText(property.type),
             CustomValueText(property.type, property.value),
             property.readOnly ? QStringLiteral("読み取り専用") : QString()}));
    }
    QPushButton* remove = button(QStringLiteral("削除(&D)"), CustomPropertiesControl::Remove);
    column->addWidget(buddyLabel(QStringLiteral("プロパティ(&P)"), m_shownList));
    column->addWidget(m_shownList, 1);
    column->addWidget(remove, 0, Qt::AlignRight);

    connect(m_shownList, &QTreeWidget::currentItemChanged, this,
            &CCustomPropertiesDlg::OnShownRowChanged);
    connect(remove, &QPushButton::clicked, this, &CCustomPropertiesDlg::OnRemove);
    return pane;
}

QWidget* CCustomPropertiesDlg::BuildEntryFields() {
    auto* group = new QGroupBox(QStringLiteral("設定する値"));
    m_entryFields = group;
    m_nameEdit = named(new QLineEdit, CustomPropertiesControl::NameEdit);
    m_nameEdit->setAccessibleName(QStringLiteral("名前"));
    m_typeCombo = named(new QComboBox, CustomPropertiesControl::TypeCombo);
    m_typeCombo->setAccessibleName(QStringLiteral("種類"));
    for (const CustomType type : kSettableTypes) {
        m_typeCombo->addItem(CustomTypeText(type), static_cast<int>(type));
    }
    m_valueEdit = named(new QLineEdit, CustomPropertiesControl::ValueEdit);
    m_valueEdit->setAccessibleName(QStringLiteral("値"));
    m_datePicker = named(new quorvel::ui::DateTimePicker, CustomPropertiesControl::DatePicker);
    quorvel::ui::setUpPicker(*m_datePicker, QString::fromUtf8(quorvel::ui::kPropertyTimeFormat));
    quorvel::ui::setPickerSeconds(*m_datePicker, static_cast<std::int64_t>(std::time(nullptr)));
    m_datePicker->setAccessibleName(QStringLiteral("値（日付、現地時刻）"));
    m_boolCombo = named(new QComboBox, CustomPropertiesControl::BoolCombo);
    m_boolCombo->addItems({QStringLiteral("はい"), QStringLiteral("いいえ")});
    m_boolCombo->setAccessibleName(QStringLiteral("値（はい・いいえ）"));
    m_valuePages = new QStackedWidget;
    for (QWidget* page : {static_cast<QWidget*>(m_valueEdit), static_cast<QWidget*>(m_datePicker),
                          static_cast<QWidget*>(m_boolCombo)}) {
        m_valuePages->addWidget(page);
    }
    m_valueLabel = new QLabel(QStringLiteral("値(&V)"));
    QPushButton* set = button(QStringLiteral("設定(&S)"), CustomPropertiesControl::Set);

    auto* grid = new QGridLayout(group);
    grid->addWidget(buddyLabel(QStringLiteral("名前(&N)"), m_nameEdit), 0, 0);
    grid->addWidget(m_nameEdit, 0, 1, 1, 2);
    grid->addWidget(buddyLabel(QStringLiteral("種類(&T)"), m_typeCombo), 1, 0);
    grid->addWidget(m_typeCombo, 1, 1);
    grid->addWidget(m_valueLabel, 2, 0);
    grid->addWidget(m_valuePages, 2, 1, 1, 2);
    grid->addWidget(set, 3, 2, Qt::AlignRight);
    grid->setColumnStretch(2, 1);

    connect(m_typeCombo, &QComboBox::currentIndexChanged, this,
            &CCustomPropertiesDlg::OnTypeChanged);
    connect(set, &QPushButton::clicked, this, &CCustomPropertiesDlg::OnSet);
    return group;
}

QWidget* CCustomPropertiesDlg::BuildEditList() {
    auto* pane = new QWidget;
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    m_editList = list(CustomPropertiesControl::Edits, QStringLiteral("準備した変更"),
                      {QStringLiteral("変更"), QStringLiteral("名前"), QStringLiteral("種類"),
                       QStringLiteral("値")});
    QPushButton* drop = button(QStringLiteral("変更を取消(&U)"), CustomPropertiesControl::DropEdit);
    QPushButton* dropAll =
        button(QStringLiteral("すべて取消(&L)"), CustomPropertiesControl::DropAllEdits);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(drop);
    buttons->addWidget(dropAll);
    column->addWidget(buddyLabel(QStringLiteral("変更ボタンで書き込む変更(&C)"), m_editList));
    column->addWidget(m_editList, 1);
    column->addLayout(buttons);

    connect(drop, &QPushButton::clicked, this, &CCustomPropertiesDlg::OnDropEdit);
    connect(dropAll, &QPushButton::clicked, this, &CCustomPropertiesDlg::OnDropAllEdits);
    return pane;
}

QLayout* CCustomPropertiesDlg::BuildDialogButtons() {
    QPushButton* ok = button(QStringLiteral("OK"), CustomPropertiesControl::Ok);
    ok->setDefault(true);
    QPushButton* cancel = button(QStringLiteral("キャンセル"), CustomPropertiesControl::Cancel);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void CCustomPropertiesDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier &&
        m_entryFields->isAncestorOf(focusWidget())) {
        OnSet();
        return;
    }
    QDialog::keyPressEvent(event);
}

// A listed property fills the fields, ready to be changed.
void CCustomPropertiesDlg::OnShownRowChanged() {
    const int row = currentRow(*m_shownList);
    if (row < 0) {
        return;
    }
    const CustomProperty& property = m_shown[static_cast<std::size_t>(row)];
    m_nameEdit->setText(QString::fromStdString(property.name));
    const auto* settable =
        std::find(std::begin(kSettableTypes), std::end(kSettableTypes), property.type);
    if (settable == std::end(kSettableTypes)) {
        return;
    }
    m_typeCombo->setCurrentIndex(static_cast<int>(settable - std::begin(kSettableTypes)));
    switch (valuePageOf(property.type)) {
        case TextPage:
            m_valueEdit->setText(QString::fromStdString(property.value));
            break;
        case DatePage:
            if (const auto fileTime = quorvel::props::customDateFileTime(property.value)) {
                quorvel::ui::setPickerSeconds(*m_datePicker,
                                              quorvel::platform::fileTimeToUnixSeconds(*fileTime));
            }
            break;
        case BoolPage:
            m_boolCombo->setCurrentIndex(property.value == "true" ? 0 : 1);
            break;
    }
}

void CCustomPropertiesDlg::OnTypeChanged() {
    m_valuePages->setCurrentIndex(valuePageOf(EnteredType()));
    m_valueLabel->setBuddy(m_valuePages->currentWidget());
}

void CCustomPropertiesDlg::OnSet() {
    const QString name = m_nameEdit->text().trimmed();
    if (name.isEmpty()) {
        Refuse(quorvel::res::loadString(StringId::CustomNameMissing), m_nameEdit);
        return;
    }
    if (!MayChange(name.toStdString())) {
        return;
    }
    const CustomType type = EnteredType();
    if (const std::optional<std::string> value = EnteredValue(type)) {
        AddEdit({name.toStdString(), type, *value, false});
    }
}

void CCustomPropertiesDlg::OnRemove() {
    const int row = currentRow(*m_shownList);
    if (row < 0) {
        Refuse(quorvel::res::loadString(StringId::CustomNotSelected), m_shownList);
        return;
    }
    const CustomProperty& property = m_shown[static_cast<std::size_t>(row)];
    if (MayChange(property.name)) {
        AddEdit({property.name, property.type, {}, true});
    }
}

void CCustomPropertiesDlg::OnDropEdit() {
    const int row = currentRow(*m_editList);
    if (row >= 0) {
        m_edits.erase(m_edits.begin() + row);
        ShowEdits();
    }
}

void CCustomPropertiesDlg::OnDropAllEdits() {
    m_edits.clear();
    ShowEdits();
}

CustomType CCustomPropertiesDlg::EnteredType() const {
    return static_cast<CustomType>(m_typeCombo->currentData().toInt());
}

// The value field's text as the model reads it, checked and made canonical by the model: a
// date is the picker's local time as UTC, a bool the choice of はい / いいえ.
std::optional<std::string> CCustomPropertiesDlg::EnteredValue(CustomType type) {
    std::string entered;
    QWidget* field = m_valuePages->currentWidget();
    QString shown = m_valueEdit->text();
    switch (valuePageOf(type)) {
        case TextPage:
            // Numbers typed with the input method's full-width digits count as well.
            entered = (type == CustomType::Text
                           ? shown
                           : shown.normalized(QString::NormalizationForm_KC).trimmed())
                          .toStdString();
            break;
        case DatePage:
            if (std::int64_t seconds = 0; quorvel::ui::pickerSeconds(*m_datePicker, seconds)) {
                entered = quorvel::props::customDateText(
                    quorvel::platform::unixSecondsToFileTime(seconds));
            }
            shown = m_datePicker->text();
            break;
        case BoolPage:
            entered = m_boolCombo->currentIndex() == 0 ? "true" : "false";
            shown = m_boolCombo->currentText();
            break;
    }
    std::optional<std::string> value = quorvel::props::canonicalCustomValue(type, entered);
    if (!value) {
        Refuse(
            quorvel::res::formatString(StringId::CustomValueRefused, {shown, CustomTypeText(type)}),
            field);
    }
    return value;
}

bool CCustomPropertiesDlg::MayChange(const std::string& name) {
    const CustomProperty* listed = quorvel::props::findCustom(m_shown, name);
    if (quorvel::props::isReservedCustomName(name) || (listed != nullptr && listed->readOnly)) {
        Refuse(quorvel::res::formatString(StringId::CustomReadOnly, {QString::fromStdString(name)}),
               m_nameEdit);
        return false;
    }
    return true;
}

void CCustomPropertiesDlg::AddEdit(CustomEdit edit) {
    std::erase_if(m_edits, [&edit](const CustomEdit& prepared) {
        return quorvel::props::sameCustomName(prepared.name, edit.name);
    });
    m_edits.push_back(std::move(edit));
    ShowEdits();
    m_editList->setCurrentItem(m_editList->topLevelItem(m_editList->topLevelItemCount() - 1));
}

void CCustomPropertiesDlg::ShowEdits() {
    m_editList->clear();
    for (const CustomEdit& edit : m_edits) {
        const QString name = QString::fromStdString(edit.name);
        m_editList->addTopLevelItem(new QTreeWidgetItem(
            edit.remove ? QStringList{QStringLiteral("削除"), name}
                        : QStringList{QStringLiteral("設定"), name, CustomTypeText(edit.type),
                                      CustomValueText(edit.type, edit.value)}));
    }
}

void CCustomPropertiesDlg::Refuse(const QString& text, QWidget* field) {
    m_prompts.message(this, text, QStringLiteral("エラーメッセージ"),
                      quorvel::ui::PromptButtons::Ok, quorvel::ui::PromptIcon::Exclamation);
    field->setFocus();
}

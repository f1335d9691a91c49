// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "props/custom_property.h"

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTreeWidget;

namespace quorvel::ui {
class Prompts;
}

// A type and a canonical value as the window shows them: 文字列, 整数, ...; a date in local
// time, a bool as はい / いいえ.
QString CustomTypeText(quorvel::props::CustomType type);
QString CustomValueText(quorvel::props::CustomType type, const std::string& canonical);

// "ユーザー定義プロパティ": the user-defined properties of the shown document, and the
// changes prepared for the next batch change: set a name to a typed value (added when the
// document lacks it), or remove a listed property. Read-only entries are listed, never changed.
// O&K hands the prepared changes back (Edits); キャンセル and Escape keep the old ones.
class CCustomPropertiesDlg : public QDialog {
    Q_OBJECT

  public:
    // document: the shown document's path, empty when none is shown.
    CCustomPropertiesDlg(quorvel::ui::Prompts& prompts, const QString& document,
                         const quorvel::props::CustomProperties& shown,
                         std::vector<quorvel::props::CustomEdit> edits, QWidget* parent = nullptr);

    const std::vector<quorvel::props::CustomEdit>& Edits() const { return m_edits; }

  protected:
    // Enter in the name or value field prepares that change; elsewhere it is O&K.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* BuildShownList(const QString& document, quorvel::props::MessageCode status);
    QWidget* BuildEntryFields();
    QWidget* BuildEditList();
    QLayout* BuildDialogButtons();

    void OnShownRowChanged();
    void OnTypeChanged();
    void OnSet();
    void OnRemove();
    void OnDropEdit();
    void OnDropAllEdits();

    quorvel::props::CustomType EnteredType() const;
    std::optional<std::string> EnteredValue(quorvel::props::CustomType type);
    // False, after saying why, when the name may not be changed.
    bool MayChange(const std::string& name);
    // Adds the change; it replaces a change prepared earlier for the same name.
    void AddEdit(quorvel::props::CustomEdit edit);
    void ShowEdits();
    void Refuse(const QString& text, QWidget* field);

    quorvel::ui::Prompts& m_prompts;
    const std::vector<quorvel::props::CustomProperty> m_shown;
    std::vector<quorvel::props::CustomEdit> m_edits;
    QTreeWidget* m_shownList = nullptr;
    QWidget* m_entryFields = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_typeCombo = nullptr;
    QLabel* m_valueLabel = nullptr;
    QStackedWidget* m_valuePages = nullptr;
    QLineEdit* m_valueEdit = nullptr;
    QDateTimeEdit* m_datePicker = nullptr;
    QComboBox* m_boolCombo = nullptr;
    QTreeWidget* m_editList = nullptr;
};

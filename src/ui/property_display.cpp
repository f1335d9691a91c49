// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QLineEdit>

#include "document/document_access.h"
#include "filelist/file_list_ctrl.h"
#include "platform/local_time.h"
#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/picker_time.h"
#include "ui/quorvel_dlg.h"

namespace {

constexpr int kFirstTextEditId = MainControl::TitleEdit;
constexpr int kFirstTextChangeId = MainControl::TitleChange;
constexpr std::size_t kChangeableTextRows = 11;

struct DateRowControls {
    int pickerId;
    int changeId;
    int labelId;
};

// Date rows in display order: Edit Time, Last printed, Created, Last Saved.
constexpr DateRowControls kDateRows[] = {
    {MainControl::EditTimePicker, MainControl::EditTimeChange, MainControl::EditTimeLabel},
    {MainControl::LastPrintedPicker, MainControl::LastPrintedChange, MainControl::LastPrintedLabel},
    {MainControl::CreatedPicker, MainControl::CreatedChange, MainControl::CreatedLabel},
    {MainControl::LastSavedPicker, MainControl::LastSavedChange, MainControl::LastSavedLabel}};

bool isDateRow(std::size_t catalogueIndex) {
    return catalogueIndex >= quorvel::props::kFirstDateIndex &&
           catalogueIndex < quorvel::props::kFirstDateIndex + quorvel::props::kDateCount;
}

}  // namespace

void CQuorvelDlg::ShowSelectedFile() {
    const int row = m_fileList->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    const QString path = m_fileList->RowPath(row);
    const std::string narrowPath = path.toStdString();
    if (CheckFileStatus(narrowPath, false, nullptr) != 0) {
        return;
    }
    quorvel::props::DocProperties properties;
    quorvel::props::CustomProperties custom;
    quorvel::props::DocumentFacts facts;
    const quorvel::props::MessageCode code =
        quorvel::document::ReadDocProperties(narrowPath, properties, &custom, &facts);
    if (code != quorvel::props::kSuccess) {
        const QString text = quorvel::res::formatText(
            QStringLiteral("%sのプロパティの処理中に、次のエラーが発生しました。\n%s"),
            {path, quorvel::res::loadString(code)});
        m_prompts.message(this, text, QCoreApplication::applicationName(),
                          quorvel::ui::PromptButtons::Ok, quorvel::ui::PromptIcon::None);
        return;
    }
    m_shownPath = path;
    m_shownCustom = std::move(custom);

    std::size_t textRow = 0;
    std::size_t dateRow = 0;
    for (const std::size_t index : quorvel::props::kDisplayOrder) {
        // A field the document has no place for (a PDF's comments, say) shows as absent.
        const bool present =
            index < properties.size() && quorvel::props::kindHoldsRow(facts.kind, index);
        if (!isDateRow(index)) {
            auto* edit = control<QLineEdit>(kFirstTextEditId + static_cast<int>(textRow));
            edit->setText(present ? QString::fromStdString(properties[index].text) : QString());
            edit->setCursorPosition(0);  // long texts show their beginning
            edit->setEnabled(present);
            if (textRow < kChangeableTextRows) {
                auto* box = control<QCheckBox>(kFirstTextChangeId + static_cast<int>(textRow));
                box->setEnabled(present);
                if (!present) {
                    box->setChecked(false);
                }
            }
            ++textRow;
            continue;
        }
        const DateRowControls& controls = kDateRows[dateRow++];
        auto* picker = control<QDateTimeEdit>(controls.pickerId);
        auto* box = control<QCheckBox>(controls.changeId);
        // The edit time, a duration, is shown like the dates: as a moment in local time.
        const bool shown =
            present && properties[index].isTime &&
            quorvel::ui::setPickerSeconds(
                *picker, quorvel::platform::fileTimeToUnixSeconds(properties[index].time));
        picker->setEnabled(shown);
        box->setEnabled(shown);
        if (!shown) {
            box->setChecked(false);
        }
        control<QLineEdit>(controls.labelId)
            ->setToolTip(quorvel::res::loadString(shown ? StringId::ChangeableFieldTip
                                                        : StringId::InvalidDateTip));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>

#include "batch/batch_run.h"
#include "filelist/file_list_ctrl.h"
#include "prompts/prompts.h"
#include "prompts/wait_cursor.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/date_increment_dlg.h"
#include "ui/picker_time.h"
#include "ui/quorvel_dlg.h"

using quorvel::batch::BatchCounts;
using quorvel::batch::BatchSnapshot;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr int kFirstTextEdit = MainControl::TitleEdit;
constexpr int kFirstTextChangeBox = MainControl::TitleChange;
// Property dates in request order: Edit Time, Last printed, Created, Last Saved.
constexpr std::array<int, 4> kDatePickers = {
    MainControl::EditTimePicker, MainControl::LastPrintedPicker, MainControl::CreatedPicker,
    MainControl::LastSavedPicker};
constexpr std::array<int, 4> kDateChangeBoxes = {
    MainControl::EditTimeChange, MainControl::LastPrintedChange, MainControl::CreatedChange,
    MainControl::LastSavedChange};

// The box's own enabled state, whatever its parents' state.
bool isEnabledItself(const QWidget& widget) {
    return widget.isEnabledTo(widget.parentWidget());
}

}  // namespace

void CQuorvelDlg::OnBatchChange() {
    const quorvel::ui::WaitCursor waitCursor;
    auto* statusLine = control<QLabel>(MainControl::ProgressText);
    statusLine->setEnabled(true);
    const std::vector<int> rows = m_fileList->GetMarkedRows();
    if (rows.empty()) {
        m_prompts.message(this, quorvel::res::loadString(StringId::NoFileMarked),
                          QStringLiteral("エラーメッセージ"), PromptButtons::Ok,
                          PromptIcon::Exclamation);
    } else {
        const auto showProgress = [statusLine](const QString& text) {
            statusLine->setText(text);
            statusLine->repaint();
        };
        const auto checkStatus = [this](const std::string& path, bool skipTimes,
                                        quorvel::platform::FileTimes* times,
                                        const std::function<bool()>& beforeQuestion) {
            return CheckFileStatus(path, skipTimes, times, beforeQuestion);
        };
        quorvel::batch::BatchChangeRun run(m_prompts, this, checkStatus, showProgress,
                                           DateIncrements());
        ShowBatchSummary(run.run(TakeBatchSnapshot(rows)));
    }
    statusLine->setEnabled(false);
}

quorvel::batch::BatchSnapshot CQuorvelDlg::TakeBatchSnapshot(const std::vector<int>& rows) const {
    quorvel::batch::BatchSnapshot snapshot;
    for (const int row : rows) {
        snapshot.paths.push_back(m_fileList->RowPath(row).toStdString());
    }
    snapshot.mode = SelectedTimeStampMode();
    for (std::size_t k = 0; k < snapshot.fields.size(); ++k) {
        const int offset = static_cast<int>(k);
        snapshot.fields[k].text = control<QLineEdit>(kFirstTextEdit + offset)->text().toStdString();
        snapshot.fields[k].change = control<QCheckBox>(kFirstTextChangeBox + offset)->isChecked();
    }
    for (std::size_t k = 0; k < kDatePickers.size(); ++k) {
        snapshot.dateTicked[k] =
            control<QCheckBox>(kDateChangeBoxes[k])->isChecked() &&
            quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(kDatePickers[k]), snapshot.dates[k]);
    }
    quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileCreatedPicker),
                               snapshot.fileTimes.creation);
    quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileAccessedPicker),
                               snapshot.fileTimes.access);
    quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileModifiedPicker),
                               snapshot.fileTimes.modification);
    snapshot.writeDocSummary = isEnabledItself(*control<QCheckBox>(MainControl::CategoryChange)) &&
                               isEnabledItself(*control<QCheckBox>(MainControl::CompanyChange));
    snapshot.customEdits = m_customEdits;
    return snapshot;
}

void CQuorvelDlg::ShowBatchSummary(const quorvel::batch::BatchCounts& counts) {
    const QString summary =
        quorvel::res::formatString(StringId::BatchSummary, {QString::number(counts.selected),
                                                            QString::number(counts.properties),
                                                            QString::number(counts.timeStamps)});
    m_prompts.message(this, summary, QStringLiteral("処理完了メッセージ"), PromptButtons::Ok,
                      PromptIcon::Information);
    if (counts.creationKept > 0) {
        const QString notice = quorvel::res::formatText(
            QStringLiteral("このファイルシステムでは作成日時を変更できないため、%u個のファイルの"
                           "作成日時は変更されていません。"),
            {QString::number(counts.creationKept)});
        m_prompts.message(this, notice, QStringLiteral("メッセージ"), PromptButtons::Ok,
                          PromptIcon::Information);
    }
}

const quorvel::batch::DateIncrementSettings& CQuorvelDlg::DateIncrements() const {
    return m_dateIncrementDlg->settings();
}

void CQuorvelDlg::OnDateIncrementSetting() {
    m_dateIncrementDlg->run();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing a recorded run from the main dialog: the list of runs, the preview of the restore,
// then the writes through the CSV apply's prompts and the batch change's summary.
#include "journal/undo_run.h"
#include "batch/batch_run.h"
#include "export/apply_preview_dlg.h"
#include "export/undo_runs_dlg.h"
#include "prompts/prompts.h"
#include "prompts/wait_cursor.h"
#include "ui/quorvel_dlg.h"

using quorvel::csv::RowPreview;
using quorvel::journal::RecordedRun;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

// The files the run wrote, as rows of a sheet of their old values, each beside its restore.
quorvel::csv::ApplySheet RestoreSheet(const RecordedRun& run, std::vector<RowPreview>& previews) {
    const std::vector<std::size_t> rows = quorvel::journal::rowsToRestore(run);
    quorvel::csv::ApplySheet sheet{run.before.columns, {}};
    for (const std::size_t row : rows) {
        sheet.rows.push_back(run.before.rows[row]);
    }
    previews = quorvel::csv::previewRows(rows.size(), [&](std::size_t i) {
        return quorvel::journal::previewRestore(run, rows[i], false);
    });
    return sheet;
}

}  // namespace

void CQuorvelDlg::OnUndoRun() {
    const QString caption = QStringLiteral("実行を元に戻す");
    const std::vector<quorvel::journal::RunSummary> runs = quorvel::journal::listRuns();
    if (runs.empty()) {
        m_prompts.message(this, QStringLiteral("元に戻せる実行の記録はありません。"), caption,
                          PromptButtons::Ok, PromptIcon::Information);
        return;
    }
    CUndoRunsDlg list(runs, this);
    if (m_prompts.execDialog(list) != QDialog::Accepted || list.ChosenRun().empty()) {
        return;
    }
    RecordedRun run;
    std::string error;
    if (!quorvel::journal::loadRun(list.ChosenRun(), run, error)) {
        m_prompts.message(this,
                          QStringLiteral("実行の記録を読めません。\n") +
                              QString::fromStdString(list.ChosenRun() + ": " + error),
                          QStringLiteral("エラーメッセージ"), PromptButtons::Ok,
                          PromptIcon::Exclamation);
        return;
    }
    std::vector<RowPreview> previews;
    quorvel::csv::ApplySheet sheet;
    {
        const quorvel::ui::WaitCursor waitCursor;
        sheet = RestoreSheet(run, previews);
    }
    CApplyPreviewDlg preview(sheet, previews, this, caption);
    if (m_prompts.execDialog(preview) != QDialog::Accepted) {
        return;
    }
    ShowBatchSummary(ApplySheetRows(sheet, previews,
                                    quorvel::journal::namesFolders(run.kind)
                                        ? quorvel::journal::RunKind::FolderUndo
                                        : quorvel::journal::RunKind::Undo));
}

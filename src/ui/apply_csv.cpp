// SPDX-License-Identifier: GPL-3.0-or-later
// Applying a CSV from the main dialog: the file dialog, the whole CSV checked, a preview of
// every change, then the writes through the batch change's prompts and its summary.
#include <QFile>
#include <optional>

#include "batch/batch_run.h"
#include "batch/file_time_stamps.h"
#include "document/document_access.h"
#include "export/apply_preview_dlg.h"
#include "platform/overlapped_writes.h"
#include "prompts/prompts.h"
#include "prompts/run_journal_prompt.h"
#include "prompts/wait_cursor.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/quorvel_dlg.h"

using quorvel::csv::ApplySheet;
using quorvel::csv::RowPreview;
using quorvel::ui::ErrorPromptResult;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

// The times a written file gets: those the sheet changes, the others as they were; a
// creation time only where the sheet changes it (0 leaves a time alone).
quorvel::batch::FileTimeStamps timeStamps(const RowPreview& preview) {
    const quorvel::platform::FileTimes times = quorvel::csv::timesToSet(preview);
    const bool newCreation = times.created != preview.before.created;
    return {newCreation ? times.created : 0, times.accessed, times.modified};
}

std::vector<std::string> RowPaths(const ApplySheet& sheet) {
    std::vector<std::string> paths;
    for (const quorvel::csv::ApplyRow& row : sheet.rows) {
        paths.push_back(row.path);
    }
    return paths;
}

}  // namespace

void CQuorvelDlg::OnApplyCsv() {
    const quorvel::ui::FileDialogResult chosen =
        m_prompts.openFiles(this, QStringLiteral("適用するCSVファイル"), QString(),
                            {QStringLiteral("CSV File(*.csv)"), QStringLiteral("All Files(*.*)")});
    if (chosen.paths.isEmpty()) {
        return;
    }
    const QString path = chosen.paths.first();
    QFile file(path);
    ApplySheet sheet;
    quorvel::csv::CsvError error{0, "ファイルを読めません。"};
    if (!file.open(QIODevice::ReadOnly) ||
        !quorvel::csv::readApplySheet(file.readAll().toStdString(),
                                      quorvel::csv::CsvInputEncoding::Auto, sheet, error)) {
        const QString where = error.line == 0
                                  ? path
                                  : quorvel::res::formatText(QStringLiteral("%s の %u 行目"),
                                                             {path, QString::number(error.line)});
        m_prompts.message(this,
                          where + QStringLiteral("：\n") + QString::fromStdString(error.message) +
                              QStringLiteral("\nどのファイルも変更していません。"),
                          kErrorCaption, PromptButtons::Ok, PromptIcon::Exclamation);
        return;
    }
    std::vector<RowPreview> previews;
    {
        const quorvel::ui::WaitCursor waitCursor;
        previews = quorvel::csv::previewSheet(sheet);
    }
    CApplyPreviewDlg preview(sheet, previews, this);
    if (m_prompts.execDialog(preview) != QDialog::Accepted) {
        return;
    }
    ShowBatchSummary(ApplySheetRows(sheet, previews));
}

quorvel::batch::BatchCounts CQuorvelDlg::ApplySheetRows(const ApplySheet& sheet,
                                                        const std::vector<RowPreview>& previews,
                                                        quorvel::journal::RunKind kind) {
    const quorvel::ui::WaitCursor waitCursor;
    quorvel::batch::BatchCounts counts;
    counts.selected = static_cast<unsigned>(sheet.rows.size());
    std::vector<std::size_t> entryOf;
    std::unique_ptr<quorvel::journal::RunJournal> journal;
    if (!quorvel::ui::StartRunJournal(
            m_prompts, this, kind,
            quorvel::journal::sheetEntries(RowPaths(sheet), previews, entryOf), journal)) {
        return counts;
    }
    std::optional<ErrorPromptResult> lastAnswer;
    // A file that cannot be read or written is asked about, as in the batch change: No stops.
    const auto goOnAfter = [&](const std::string& path, quorvel::props::MessageCode code) {
        if (lastAnswer != ErrorPromptResult::YesToAll) {
            lastAnswer = m_prompts.errorPrompt(
                this, quorvel::res::formatString(
                          StringId::ContinueAfterError,
                          {QString::fromStdString(path), quorvel::res::loadString(code)}));
        }
        return lastAnswer != ErrorPromptResult::No;
    };
    // A written row's time stamps, after its write; the summary counts both.
    const auto finishRow = [&](std::size_t i, quorvel::props::MessageCode code) {
        const std::string& path = sheet.rows[i].path;
        if (code != quorvel::props::kSuccess) {
            return goOnAfter(path, code);
        }
        const RowPreview& preview = previews[i];
        counts.properties += preview.changes.writesDocument ? 1 : 0;
        const quorvel::batch::TimeStampOutcome outcome =
            quorvel::batch::SetFileTimeStamps(m_prompts, this, path, timeStamps(preview));
        counts.creationKept += outcome.creationKept ? 1 : 0;
        counts.timeStamps += preview.changes.setsTimes && outcome.result == 0 ? 1 : 0;
        if (journal && entryOf[i] != SIZE_MAX) {
            journal->recordResult(entryOf[i], quorvel::csv::timesToSet(preview).modified);
        }
        return true;
    };
    quorvel::platform::OverlappedWrites<quorvel::props::MessageCode> writes(
        quorvel::platform::defaultWriteThreads(), finishRow);
    const auto finishWrites = [&writes] { return writes.finish(); };
    // Every file to write is known here, before the first write: the rows with changes.
    for (std::size_t i = 0; i < previews.size() && !writes.stopped(); ++i) {
        const std::string& path = sheet.rows[i].path;
        const RowPreview& preview = previews[i];
        if (preview.code != quorvel::props::kSuccess) {
            // Known from the reading: asked about before any later file is written.
            if (writes.finish()) {
                writes.pass(i, preview.code);
            }
            continue;
        }
        if (!preview.changes.any() || CheckFileStatus(path, true, nullptr, finishWrites) != 0) {
            continue;
        }
        if (journal && entryOf[i] != SIZE_MAX && !journal->markThrough(entryOf[i])) {
            writes.finish();
            quorvel::ui::ReportMarkFailure(m_prompts, this, *journal);
            break;
        }
        if (!preview.changes.writesDocument) {
            writes.pass(i, quorvel::props::kSuccess);
            continue;
        }
        writes.dispatch(i, [&path, &preview] {
            return quorvel::document::WriteDocProperties(path, preview.changes.request);
        });
    }
    writes.finish();
    return counts;
}

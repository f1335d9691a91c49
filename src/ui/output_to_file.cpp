// SPDX-License-Identifier: GPL-3.0-or-later
// The export command of the main dialog: every listed file becomes one CSV row.
#include <QCheckBox>
#include <optional>
#include <vector>

#include "document/document_access.h"
#include "export/output_file_dlg.h"
#include "filelist/file_list_ctrl.h"
#include "platform/file_status.h"
#include "platform/ordered_parallel.h"
#include "prompts/prompts.h"
#include "prompts/wait_cursor.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/quorvel_dlg.h"

using quorvel::csv::ExportRecord;
using quorvel::ui::ErrorPromptResult;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr int kFolderPaneBox = MainControl::FolderInfoChange;
constexpr int kNoReadableFileMessage = StringId::NoReadableFile;
constexpr int kContinueAfterErrorMessage = StringId::ContinueAfterError;
constexpr int kFolderPaneMessage = StringId::FolderPaneNotExported;

// One row as a worker thread reads it: the file's times, then its properties, the way the
// status check and the read go when the check has nothing to ask. A read-only file is left
// to the GUI thread, whose status check asks the user about it.
struct RowRead {
    ExportRecord record;
    quorvel::props::MessageCode code = quorvel::props::kSuccess;
    bool needsStatusCheck = false;
};

// The record's properties, its user-defined ones in the same read: the export dialog's box
// decides whether they are written.
quorvel::props::MessageCode readRecord(ExportRecord& record) {
    return quorvel::document::ReadDocProperties(record.path, record.properties, &record.custom);
}

RowRead readRow(const std::string& path) {
    RowRead read;
    read.record.path = path;
    quorvel::platform::FileStatus status;
    // A status that cannot be read leaves the times empty; the read reports a missing file.
    if (quorvel::platform::queryFileStatus(path, status)) {
        if (status.readOnly) {
            read.needsStatusCheck = true;
            return read;
        }
        read.record.times = status.times;
    }
    read.code = readRecord(read.record);
    return read;
}

// One record per listed row, marked or not, in list order. Rows whose read-only attribute the
// user keeps, or whose status check failed, are left out without a word; a row that cannot be
// read is asked about. Nullopt when the user answered No: the export is abandoned. The files
// are read on a pool of threads; every question comes on this thread, in row order.
std::optional<std::vector<ExportRecord>> collectExportRecords(CQuorvelDlg& dlg) {
    CFileListCtrl& fileList = dlg.fileList();
    std::vector<QString> rowPaths;
    std::vector<std::string> paths;
    for (int row = 0; row < fileList.topLevelItemCount(); ++row) {
        rowPaths.push_back(fileList.RowPath(row));
        paths.push_back(rowPaths.back().toStdString());
    }
    std::vector<ExportRecord> records;
    std::optional<ErrorPromptResult> lastAnswer;
    quorvel::platform::runInOrder(
        paths.size(), quorvel::platform::defaultReadThreads(),
        [&paths](std::size_t row) { return readRow(paths[row]); },
        [&](std::size_t row, RowRead read) {
            if (read.needsStatusCheck) {
                if (dlg.CheckFileStatus(read.record.path, false, &read.record.times) != 0) {
                    return true;
                }
                read.code = readRecord(read.record);
            }
            if (read.code == quorvel::props::kSuccess) {
                records.push_back(std::move(read.record));
                return true;
            }
            if (lastAnswer == ErrorPromptResult::YesToAll) {
                return true;
            }
            lastAnswer = dlg.prompts().errorPrompt(
                &dlg,
                quorvel::res::formatString(kContinueAfterErrorMessage,
                                           {rowPaths[row], quorvel::res::loadString(read.code)}));
            return lastAnswer != ErrorPromptResult::No;
        });
    if (lastAnswer == ErrorPromptResult::No) {
        return std::nullopt;
    }
    return records;
}

}  // namespace

void CQuorvelDlg::OnOutputToFile() {
    if (control<QCheckBox>(kFolderPaneBox)->isChecked()) {
        m_prompts.message(this, quorvel::res::loadString(kFolderPaneMessage),
                          QStringLiteral("メッセージ"), PromptButtons::Ok, PromptIcon::Information);
        return;
    }
    std::optional<std::vector<ExportRecord>> records;
    {
        const quorvel::ui::WaitCursor waitCursor;
        records = collectExportRecords(*this);
    }
    if (!records) {
        return;
    }
    if (records->empty()) {
        m_prompts.message(this, quorvel::res::loadString(kNoReadableFileMessage),
                          QStringLiteral("エラーメッセージ"), PromptButtons::Ok,
                          PromptIcon::Exclamation);
        return;
    }
    COutputFileDlg dialog(m_prompts, std::move(*records), this);
    m_prompts.execDialog(dialog);
}

// The export command of the main dialog: every listed file becomes one CSV row.
#include <QCheckBox>
#include <optional>
#include <vector>

#include "export/output_file_dlg.h"
#include "filelist/file_list_ctrl.h"
#include "props/property_access.h"
#include "res/string_table.h"
#include "ui/prompts.h"
#include "ui/quorvel_dlg.h"
#include "ui/wait_cursor.h"

using quorvel::csv::ExportRecord;
using quorvel::ui::ErrorPromptResult;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr int kFolderPaneBox = 1113;
constexpr int kNoReadableFileMessage = 125;
constexpr int kContinueAfterErrorMessage = 128;
constexpr int kFolderPaneMessage = 142;

// One record per listed row, marked or not, in list order. Rows whose read-only attribute the
// user keeps, or whose status check failed, are left out without a word; a row that cannot be
// read is asked about. Nullopt when the user answered No: the export is abandoned.
std::optional<std::vector<ExportRecord>> collectExportRecords(CQuorvelDlg& dlg) {
    std::vector<ExportRecord> records;
    std::optional<ErrorPromptResult> lastAnswer;
    CFileListCtrl& fileList = dlg.fileList();
    for (int row = 0; row < fileList.topLevelItemCount(); ++row) {
        ExportRecord record;
        record.path = fileList.RowPath(row).toStdString();
        if (dlg.CheckFileStatus(record.path, false, &record.times) != 0) {
            continue;
        }
        const quorvel::props::MessageCode code =
            quorvel::props::ReadDocProperties(record.path, record.properties);
        if (code == quorvel::props::kSuccess) {
            records.push_back(std::move(record));
            continue;
        }
        if (lastAnswer == ErrorPromptResult::YesToAll) {
            continue;
        }
        lastAnswer = dlg.prompts().errorPrompt(
            &dlg,
            quorvel::res::formatString(kContinueAfterErrorMessage,
                                       {fileList.RowPath(row), quorvel::res::loadString(code)}));
        if (lastAnswer == ErrorPromptResult::No) {
            return std::nullopt;
        }
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

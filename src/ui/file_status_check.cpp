// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDateTimeEdit>

#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/picker_time.h"
#include "ui/quorvel_dlg.h"

using quorvel::ui::PromptAnswer;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr std::uint8_t kGoOn = 0;
constexpr std::uint8_t kDeclined = 1;
constexpr std::uint8_t kFileError = 2;

}  // namespace

void CQuorvelDlg::ShowFileError(const QString& text) {
    m_prompts.message(this, text, QStringLiteral("エラーメッセージ"), PromptButtons::Ok,
                      PromptIcon::Stop);
}

std::uint8_t CQuorvelDlg::CheckFileStatus(const std::string& path, bool skipTimes,
                                          quorvel::platform::FileTimes* times,
                                          const std::function<bool()>& beforeQuestion) {
    quorvel::platform::FileStatus status;
    if (!quorvel::platform::queryFileStatus(path, status)) {
        // The property access that follows reports a missing file itself.
        return kGoOn;
    }
    std::uint8_t result = kGoOn;
    if (status.readOnly && beforeQuestion && !beforeQuestion()) {
        return kDeclined;
    }
    if (status.readOnly) {
        const QString question = quorvel::res::formatString(StringId::ClearReadOnlyQuestion,
                                                            {QString::fromStdString(path)});
        const PromptAnswer answer =
            m_prompts.message(this, question, QStringLiteral("エラーメッセージ"),
                              PromptButtons::YesNo, PromptIcon::Exclamation);
        if (answer == PromptAnswer::Yes) {
            quorvel::platform::SystemError error;
            // Writing the status back also stores the times as read, in whole seconds.
            if (!quorvel::platform::clearReadOnly(path, error) ||
                !quorvel::platform::setAccessAndModifyTimes(path, status.times.accessed,
                                                            status.times.modified, error)) {
                ShowFileError(QString::fromStdString(path + "\n" + error.text));
                return kFileError;
            }
        } else {
            result = kDeclined;
        }
    }
    if (skipTimes) {
        return result;
    }
    if (times != nullptr) {
        *times = status.times;
    } else {
        quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileCreatedPicker),
                                      status.times.created);
        quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileAccessedPicker),
                                      status.times.accessed);
        quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileModifiedPicker),
                                      status.times.modified);
    }
    return result;
}

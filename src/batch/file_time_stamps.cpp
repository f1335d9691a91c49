// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/file_time_stamps.h"

#include "platform/creation_time.h"
#include "platform/file_status.h"
#include "prompts/prompts.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace quorvel::batch {
namespace {

constexpr std::uint8_t kDone = 0;
constexpr std::uint8_t kKeptReadOnly = 1;
constexpr std::uint8_t kFileError = 2;

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

std::uint8_t showFileError(ui::Prompts& prompts, QWidget* owner, const std::string& path,
                           const platform::SystemError& error) {
    prompts.message(owner, QString::fromStdString(path + "\n" + error.text), kErrorCaption,
                    ui::PromptButtons::Ok, ui::PromptIcon::Stop);
    return kFileError;
}

std::int64_t orKept(std::int64_t given, std::int64_t current) {
    return given != 0 ? given : current;
}

}  // namespace

TimeStampOutcome SetFileTimeStamps(ui::Prompts& prompts, QWidget* owner, const std::string& path,
                                   const FileTimeStamps& times) {
    TimeStampOutcome outcome;
    platform::FileStatus status;
    if (!platform::queryFileStatus(path, status)) {
        return outcome;
    }
    platform::SystemError error;
    if (status.readOnly) {
        const QString question =
            res::formatString(StringId::ClearReadOnlyQuestion, {QString::fromStdString(path)});
        if (prompts.message(owner, question, kErrorCaption, ui::PromptButtons::YesNo,
                            ui::PromptIcon::Exclamation) != ui::PromptAnswer::Yes) {
            outcome.result = kKeptReadOnly;
            return outcome;
        }
        if (!platform::clearReadOnly(path, error)) {
            outcome.result = showFileError(prompts, owner, path, error);
            return outcome;
        }
    }
    // The creation time first: on some file systems setting it touches the other two.
    if (times.creation != 0) {
        platform::CreationTimeWrite creation{};
        if (!platform::setCreationTime(path, times.creation, creation, error)) {
            outcome.result = showFileError(prompts, owner, path, error);
            return outcome;
        }
        outcome.creationKept = creation == platform::CreationTimeWrite::NotStorable;
    }
    if (!platform::setAccessAndModifyTimes(path, orKept(times.access, status.times.accessed),
                                           orKept(times.modification, status.times.modified),
                                           error)) {
        outcome.result = showFileError(prompts, owner, path, error);
    }
    return outcome;
}

}  // namespace quorvel::batch

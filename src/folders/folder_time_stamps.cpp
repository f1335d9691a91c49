// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders/folder_time_stamps.h"

#include "platform/local_time.h"
#include "prompts/wait_cursor.h"

using quorvel::platform::FolderHandle;
using quorvel::platform::SystemError;
using quorvel::ui::PromptAnswer;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

// Suffixes of the error prompt: a folder that cannot be opened, and one whose times
// cannot be read or written.
QString cannotOpenSuffix(const std::string& path) {
    return QStringLiteral(
               "\nフォルダ名：%1\nExplorer等でこのフォルダを開いている状態であれば、"
               "それを閉じてください。")
        .arg(QString::fromStdString(path));
}

QString folderNameSuffix(const std::string& path) {
    return QStringLiteral("\nフォルダ名：%1").arg(QString::fromStdString(path));
}

// The system's text ends the first line; the suffix brings its own line break, so an
// empty line stands between them.
QString promptText(const SystemError& error, const QString& suffix) {
    const QString systemText = QString::fromUtf8(error.text);
    return suffix.isEmpty() ? systemText : systemText + QLatin1Char('\n') + suffix;
}

}  // namespace

bool FolderTimeToTimeValue(std::int64_t folderTime, std::int64_t& timeValue) {
    quorvel::platform::LocalDateTime local;
    if (!quorvel::platform::toLocalDateTime(folderTime, local)) {
        return false;
    }
    timeValue = local.year < 1900 ? 0 : folderTime;
    return true;
}

CFolderTimeStamps::CFolderTimeStamps(quorvel::ui::Prompts& prompts, QWidget* owner)
    : m_prompts(prompts), m_owner(owner) {}

template <typename Operation>
FolderOpResult CFolderTimeStamps::withOpenFolder(const std::string& path, Operation operation) {
    for (;;) {
        FolderHandle folder;
        SystemError error;
        FolderOpResult result = FolderOpResult::Done;
        if (!folder.open(path, error)) {
            result = ReportSystemError(error, cannotOpenSuffix(path));
        } else if (operation(folder, error)) {
            return FolderOpResult::Done;
        } else {
            result = ReportSystemError(error, folderNameSuffix(path));
        }
        if (result != FolderOpResult::Retry) {
            return result;
        }
    }
}

FolderOpResult CFolderTimeStamps::ReadFolderTimes(const std::string& path, FolderTimes& times) {
    FolderTimes read;
    const FolderOpResult result =
        withOpenFolder(path, [&read](const FolderHandle& folder, SystemError& error) {
            quorvel::platform::CreationTimeSource source{};
            return folder.readTimes(read, source, error);
        });
    if (result != FolderOpResult::Done) {
        return result;
    }
    FolderTimes converted;
    if (!FolderTimeToTimeValue(read.creation, converted.creation) ||
        !FolderTimeToTimeValue(read.access, converted.access) ||
        !FolderTimeToTimeValue(read.modification, converted.modification)) {
        ReportInvalidTime(path);
        return FolderOpResult::Abort;
    }
    times = converted;
    return FolderOpResult::Done;
}

FolderOpResult CFolderTimeStamps::SetFolderTimes(const std::string& path, const FolderTimes& times,
                                                 quorvel::platform::CreationTimeWrite& creation) {
    return withOpenFolder(path, [&](const FolderHandle& folder, SystemError& error) {
        return folder.writeTimes(times, creation, error);
    });
}

FolderOpResult CFolderTimeStamps::ReportSystemError(const SystemError& error,
                                                    const QString& suffix) {
    const quorvel::ui::NormalCursorWhilePrompting normalCursor;
    const PromptAnswer answer =
        m_prompts.message(m_owner, promptText(error, suffix), kErrorCaption,
                          PromptButtons::AbortRetryIgnore, PromptIcon::Exclamation);
    switch (answer) {
        case PromptAnswer::Abort:
            return FolderOpResult::Abort;
        case PromptAnswer::Ignore:
            return FolderOpResult::Skip;
        default:
            return FolderOpResult::Retry;
    }
}

void CFolderTimeStamps::ReportInvalidTime(const std::string& path) {
    const quorvel::ui::NormalCursorWhilePrompting normalCursor;
    const QString suffix = path.empty() ? QString() : folderNameSuffix(path);
    m_prompts.message(m_owner, promptText(quorvel::platform::invalidArgumentError(), suffix),
                      kErrorCaption, PromptButtons::Ok, PromptIcon::Exclamation);
}

FolderRunCounts CFolderTimeStamps::ChangeFolders(
    const MarkedFolderSet& set, const FolderTimes& first,
    const quorvel::batch::DateIncrementSettings& increments) {
    using namespace quorvel::ui;
    FolderTimes working = first;
    FolderRunCounts counts;
    for (const auto& [path, item] : set) {
        auto creation = quorvel::platform::CreationTimeWrite::Written;
        const FolderOpResult result = SetFolderTimes(path, working, creation);
        if (result == FolderOpResult::Done) {
            ++counts.processed;
            if (creation == quorvel::platform::CreationTimeWrite::NotStorable) {
                ++counts.creationKept;
            }
        }
        if (result > FolderOpResult::Skip) {
            break;
        }
        quorvel::batch::StepDate(increments.mode, first.creation, working.creation,
                                 increments.increment[quorvel::batch::kIncrementSlotEditAccess]);
        quorvel::batch::StepDate(increments.mode, first.access, working.access,
                                 increments.increment[quorvel::batch::kIncrementSlotCreated]);
        quorvel::batch::StepDate(increments.mode, first.modification, working.modification,
                                 increments.increment[quorvel::batch::kIncrementSlotLastSaved]);
    }
    return counts;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders/folder_time_stamps.h"

#include "journal/undo_run.h"
#include "platform/local_time.h"
#include "prompts/run_journal_prompt.h"
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

namespace {

// The times of each folder of a run: the first, moved on by the increments folder by folder.
std::vector<FolderTimes> PlannedFolderTimes(
    std::size_t count, const FolderTimes& first,
    const quorvel::batch::DateIncrementSettings& increments) {
    std::vector<FolderTimes> planned;
    FolderTimes working = first;
    for (std::size_t i = 0; i < count; ++i) {
        planned.push_back(working);
        quorvel::batch::StepDate(increments.mode, first.creation, working.creation,
                                 increments.increment[quorvel::batch::kIncrementSlotEditAccess]);
        quorvel::batch::StepDate(increments.mode, first.access, working.access,
                                 increments.increment[quorvel::batch::kIncrementSlotCreated]);
        quorvel::batch::StepDate(increments.mode, first.modification, working.modification,
                                 increments.increment[quorvel::batch::kIncrementSlotLastSaved]);
    }
    return planned;
}

// The journal's entries: each folder whose times can be read, with the times it gets.
std::vector<quorvel::journal::JournalEntry> FolderEntries(const MarkedFolderSet& set,
                                                          const std::vector<FolderTimes>& planned,
                                                          std::vector<std::size_t>& entryOf) {
    std::vector<quorvel::journal::JournalEntry> entries;
    std::size_t i = 0;
    for (const auto& [path, item] : set) {
        quorvel::platform::FileTimes before;
        entryOf.push_back(entries.size());
        if (quorvel::journal::readFolderForApply(path, before) != quorvel::props::kSuccess) {
            entryOf.back() = SIZE_MAX;  // its error prompt comes when its turn comes
            ++i;
            continue;
        }
        const FolderTimes& times = planned[i++];
        entries.push_back({{path, {}, before, {}},
                           quorvel::journal::requestedChanges(
                               {}, {times.creation, times.access, times.modification, true})});
    }
    return entries;
}

}  // namespace

FolderRunCounts CFolderTimeStamps::ChangeFolders(
    const MarkedFolderSet& set, const FolderTimes& first,
    const quorvel::batch::DateIncrementSettings& increments) {
    const std::vector<FolderTimes> planned = PlannedFolderTimes(set.size(), first, increments);
    std::vector<std::size_t> entryOf;
    std::unique_ptr<quorvel::journal::RunJournal> journal;
    FolderRunCounts counts;
    if (!quorvel::ui::StartRunJournal(m_prompts, m_owner, quorvel::journal::RunKind::FolderTimes,
                                      FolderEntries(set, planned, entryOf), journal)) {
        return counts;
    }
    std::size_t i = 0;
    for (const auto& [path, item] : set) {
        const std::size_t entry = entryOf[i];
        const FolderTimes& times = planned[i++];
        if (entry != SIZE_MAX &&
            !quorvel::ui::MarkWritten(m_prompts, m_owner, journal.get(), entry)) {
            break;
        }
        auto creation = quorvel::platform::CreationTimeWrite::Written;
        const FolderOpResult result = SetFolderTimes(path, times, creation);
        if (result == FolderOpResult::Done) {
            ++counts.processed;
            if (creation == quorvel::platform::CreationTimeWrite::NotStorable) {
                ++counts.creationKept;
            }
            if (journal && entry != SIZE_MAX) {
                journal->recordResult(entry, times.modification);
            }
        }
        if (result > FolderOpResult::Skip) {
            break;
        }
    }
    return counts;
}

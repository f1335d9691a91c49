// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include <algorithm>

#include "document/document_access.h"
#include "platform/local_time.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace quorvel::batch {
namespace {

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

unsigned countTicks(const BatchSnapshot& snapshot) {
    const auto fields = std::count_if(snapshot.fields.begin(), snapshot.fields.end(),
                                      [](const props::TextFieldEdit& f) { return f.change != 0; });
    const auto dates = std::count(snapshot.dateTicked.begin(), snapshot.dateTicked.end(), true);
    return static_cast<unsigned>(fields + dates);
}

}  // namespace

BatchChangeRun::BatchChangeRun(ui::Prompts& prompts, QWidget* owner, StatusCheck statusCheck,
                               Progress progress, const DateIncrementSettings& increments)
    : m_prompts(prompts),
      m_owner(owner),
      m_statusCheck(std::move(statusCheck)),
      m_progress(std::move(progress)),
      m_increments(increments) {}

BatchCounts BatchChangeRun::run(const BatchSnapshot& snapshot) {
    m_snapshot = &snapshot;
    m_tickedCount = countTicks(snapshot);
    m_workingDates = snapshot.dates;
    m_workingTimes = snapshot.fileTimes;
    m_lastAnswer.reset();
    m_counts = {};
    m_counts.selected = static_cast<unsigned>(snapshot.paths.size());
    for (const std::string& path : snapshot.paths) {
        if (processFile(path) == Flow::Stop) {
            break;
        }
        stepDates();
    }
    m_snapshot = nullptr;
    return m_counts;
}

BatchChangeRun::Flow BatchChangeRun::processFile(const std::string& path) {
    if (m_statusCheck(path, true, nullptr) != 0) {
        return Flow::GoOn;
    }
    const TimeStampMode mode = m_snapshot->mode;
    if (mode == TimeStampMode::TimeStampsOnly) {
        setTimeStamps(path, m_workingTimes, true);
        stepFileTimes();
        return Flow::GoOn;
    }
    platform::FileTimes saved{};
    if (mode == TimeStampMode::KeepTimeStamps) {
        m_statusCheck(path, false, &saved);
    } else if (mode == TimeStampMode::NoChange && m_tickedCount == 0) {
        m_prompts.message(m_owner, res::loadString(StringId::NoPropertyTicked), kErrorCaption,
                          ui::PromptButtons::Ok, ui::PromptIcon::Exclamation);
        return Flow::Stop;
    }
    if (m_tickedCount > 0 && writeProperties(path) == Flow::Stop) {
        return Flow::Stop;
    }
    if (mode == TimeStampMode::AlsoTimeStamps) {
        setTimeStamps(path, m_workingTimes, true);
        stepFileTimes();
    } else if (mode == TimeStampMode::KeepTimeStamps) {
        // Only access and modification are put back: a compound document is written in place
        // and keeps its creation time; a rewritten package is a new file created now.
        setTimeStamps(path, {0, saved.accessed, saved.modified}, false);
    }
    return Flow::GoOn;
}

BatchChangeRun::Flow BatchChangeRun::writeProperties(const std::string& path) {
    const props::MessageCode code = document::WriteDocProperties(path, request());
    if (code == props::kSuccess) {
        ++m_counts.properties;
        m_progress(res::formatText(
            QStringLiteral("処理完了(ﾌﾟﾛﾊﾟﾃｨ)：%u/%u"),
            {QString::number(m_counts.properties), QString::number(m_counts.selected)}));
        return Flow::GoOn;
    }
    if (m_lastAnswer == ui::ErrorPromptResult::YesToAll) {
        return Flow::GoOn;
    }
    const QString text = res::formatString(
        StringId::ContinueAfterError,
        {QString::fromStdString(path), QString::fromUtf8(props::messageCodeText(code))});
    m_lastAnswer = m_prompts.errorPrompt(m_owner, text);
    return m_lastAnswer == ui::ErrorPromptResult::No ? Flow::Stop : Flow::GoOn;
}

void BatchChangeRun::setTimeStamps(const std::string& path, const FileTimeStamps& times,
                                   bool counted) {
    const TimeStampOutcome outcome = SetFileTimeStamps(m_prompts, m_owner, path, times);
    if (outcome.creationKept) {
        ++m_counts.creationKept;
    }
    if (counted && outcome.result == 0) {
        ++m_counts.timeStamps;
    }
}

void BatchChangeRun::stepFileTimes() {
    const IncrementMode mode = m_increments.mode;
    const FileTimeStamps& base = m_snapshot->fileTimes;
    StepDate(mode, base.creation, m_workingTimes.creation,
             m_increments.increment[kIncrementSlotEditAccess]);
    StepDate(mode, base.access, m_workingTimes.access,
             m_increments.increment[kIncrementSlotCreated]);
    StepDate(mode, base.modification, m_workingTimes.modification,
             m_increments.increment[kIncrementSlotLastSaved]);
}

void BatchChangeRun::stepDates() {
    for (std::size_t k = 0; k < props::kDateCount; ++k) {
        if (m_snapshot->dateTicked[k]) {
            StepDate(m_increments.mode, m_snapshot->dates[k], m_workingDates[k],
                     m_increments.increment[k]);
        }
    }
}

props::PropertyWriteRequest BatchChangeRun::request() const {
    props::PropertyWriteRequest request;
    request.fields = m_snapshot->fields;
    request.writeDocSummary = m_snapshot->writeDocSummary;
    if (std::find(m_snapshot->dateTicked.begin(), m_snapshot->dateTicked.end(), true) !=
        m_snapshot->dateTicked.end()) {
        std::array<std::uint64_t, props::kDateCount> dates{};
        for (std::size_t k = 0; k < props::kDateCount; ++k) {
            if (m_snapshot->dateTicked[k]) {
                dates[k] = platform::unixSecondsToFileTime(m_workingDates[k]);
            }
        }
        request.dates = dates;
    }
    return request;
}

}  // namespace quorvel::batch

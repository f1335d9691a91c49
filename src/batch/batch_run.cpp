// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include <algorithm>

#include "document/document_access.h"
#include "platform/local_time.h"
#include "platform/ordered_parallel.h"
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

// The write failures that reading the files shows for certain, read on a pool of threads
// before the first write, so that they are asked about before any later file is written: a
// missing file, one that is no document. Success for every other file.
std::vector<props::MessageCode> foreseeFailures(const std::vector<std::string>& paths) {
    std::vector<props::MessageCode> codes;
    codes.reserve(paths.size());
    platform::runInOrder(
        paths.size(), platform::defaultReadThreads(),
        [&paths](std::size_t i) {
            props::DocProperties properties;
            const props::MessageCode code = document::ReadDocProperties(paths[i], properties);
            const bool certain = code == props::kFileNotFound || code == props::kNotCompoundFile;
            return certain ? code : props::kSuccess;
        },
        [&codes](std::size_t, props::MessageCode code) {
            codes.push_back(code);
            return true;
        });
    return codes;
}

}  // namespace

BatchChangeRun::BatchChangeRun(ui::Prompts& prompts, QWidget* owner, StatusCheck statusCheck,
                               Progress progress, const DateIncrementSettings& increments,
                               unsigned writeThreads)
    : m_prompts(prompts),
      m_owner(owner),
      m_statusCheck(std::move(statusCheck)),
      m_progress(std::move(progress)),
      m_increments(increments),
      m_writeThreads(writeThreads) {}

BatchCounts BatchChangeRun::run(const BatchSnapshot& snapshot) {
    m_snapshot = &snapshot;
    m_tickedCount = countTicks(snapshot);
    m_workingDates = snapshot.dates;
    m_workingTimes = snapshot.fileTimes;
    m_lastAnswer.reset();
    m_counts = {};
    m_counts.selected = static_cast<unsigned>(snapshot.paths.size());
    const bool writesDocuments =
        snapshot.mode != TimeStampMode::TimeStampsOnly && m_tickedCount > 0;
    m_foreseenFailures = writesDocuments ? foreseeFailures(snapshot.paths)
                                         : std::vector<props::MessageCode>(snapshot.paths.size());
    // Every file this run may write is known here, before the first write: the marked ones.
    Writes writes(m_writeThreads, [this](std::size_t i, const FileTurn& turn) {
        return finishFile(m_snapshot->paths[i], turn) == Flow::GoOn;
    });
    for (std::size_t i = 0; i < snapshot.paths.size(); ++i) {
        if (processFile(i, writes) == Flow::Stop) {
            break;
        }
        stepDates();
    }
    writes.finish();
    m_snapshot = nullptr;
    return m_counts;
}

// The checks, questions and date steps of one file, on the calling thread in list order;
// its write is dispatched, the rest follows when its turn comes back (finishFile).
BatchChangeRun::Flow BatchChangeRun::processFile(std::size_t index, Writes& writes) {
    const std::string& path = m_snapshot->paths[index];
    const auto finishWrites = [&writes] { return writes.finish(); };
    const std::uint8_t status = m_statusCheck(path, true, nullptr, finishWrites);
    if (writes.stopped()) {
        return Flow::Stop;
    }
    if (status != 0) {
        return Flow::GoOn;
    }
    const TimeStampMode mode = m_snapshot->mode;
    FileTurn turn;
    platform::FileTimes saved{};
    if (mode == TimeStampMode::KeepTimeStamps) {
        m_statusCheck(path, false, &saved, finishWrites);
        // Only access and modification are put back: a compound document is written in place
        // and keeps its creation time; a rewritten package is a new file created now.
        turn.times = FileTimeStamps{0, saved.accessed, saved.modified};
    } else if (mode == TimeStampMode::NoChange && m_tickedCount == 0) {
        if (writes.finish()) {
            m_prompts.message(m_owner, res::loadString(StringId::NoPropertyTicked), kErrorCaption,
                              ui::PromptButtons::Ok, ui::PromptIcon::Exclamation);
        }
        return Flow::Stop;
    } else if (mode != TimeStampMode::NoChange) {
        turn.times = m_workingTimes;
        turn.counted = true;
        stepFileTimes();
    }
    if (mode == TimeStampMode::TimeStampsOnly || m_tickedCount == 0) {
        return writes.pass(index, turn) ? Flow::GoOn : Flow::Stop;
    }
    return dispatchWrite(index, turn, writes);
}

BatchChangeRun::Flow BatchChangeRun::dispatchWrite(std::size_t index, FileTurn turn,
                                                   Writes& writes) {
    turn.wrote = true;
    turn.code = m_foreseenFailures[index];
    if (turn.code != props::kSuccess) {
        // Asked about before any later file is written.
        return writes.finish() && writes.pass(index, turn) ? Flow::GoOn : Flow::Stop;
    }
    // The request is taken now, with this file's step of the dates.
    const bool goOn = writes.dispatch(
        index, [path = m_snapshot->paths[index], request = request(), turn]() mutable {
            turn.code = document::WriteDocProperties(path, request);
            return turn;
        });
    return goOn ? Flow::GoOn : Flow::Stop;
}

BatchChangeRun::Flow BatchChangeRun::finishFile(const std::string& path, const FileTurn& turn) {
    if (turn.wrote && reportWrite(path, turn.code) == Flow::Stop) {
        return Flow::Stop;
    }
    if (turn.times) {
        setTimeStamps(path, *turn.times, turn.counted);
    }
    return Flow::GoOn;
}

BatchChangeRun::Flow BatchChangeRun::reportWrite(const std::string& path, props::MessageCode code) {
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

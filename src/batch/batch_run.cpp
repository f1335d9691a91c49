// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include <algorithm>

#include "platform/local_time.h"
#include "prompts/run_journal_prompt.h"
#include "res/string_ids.h"
#include "res/string_table.h"

namespace quorvel::batch {
namespace {

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

// The ticked fields and dates; the prepared user-defined changes count as one more.
unsigned countTicks(const BatchSnapshot& snapshot) {
    const auto fields = std::count_if(snapshot.fields.begin(), snapshot.fields.end(),
                                      [](const props::TextFieldEdit& f) { return f.change != 0; });
    const auto dates = std::count(snapshot.dateTicked.begin(), snapshot.dateTicked.end(), true);
    const bool custom = !snapshot.customEdits.empty();
    return static_cast<unsigned>(fields + dates + (custom ? 1 : 0));
}

// Whether a write changed the file: in full, or a PDF without the ticked fields it has no
// place for.
bool changedFile(props::MessageCode code) {
    return code == props::kSuccess || code == props::kPdfFieldWithoutPlace;
}

}  // namespace

BatchChangeRun::BatchChangeRun(ui::Prompts& prompts, QWidget* owner, StatusCheck statusCheck,
                               Progress progress, const DateIncrementSettings& increments,
                               unsigned writeThreads, DocumentWrite writeDocument)
    : m_prompts(prompts),
      m_owner(owner),
      m_statusCheck(std::move(statusCheck)),
      m_progress(std::move(progress)),
      m_increments(increments),
      m_writeThreads(writeThreads),
      m_writeDocument(std::move(writeDocument)) {}

BatchCounts BatchChangeRun::run(const BatchSnapshot& snapshot) {
    m_snapshot = &snapshot;
    m_tickedCount = countTicks(snapshot);
    m_lastAnswer.reset();
    m_counts = {};
    m_counts.selected = static_cast<unsigned>(snapshot.paths.size());
    planSteps();
    m_files = journal::readFilesBefore(snapshot.paths, writesDocuments());
    if (startJournal()) {
        Writes writes(m_writeThreads, [this](std::size_t i, const FileTurn& turn) {
            return finishFile(i, turn) == Flow::GoOn;
        });
        for (std::size_t i = 0; i < snapshot.paths.size(); ++i) {
            if (processFile(i, writes) == Flow::Stop) {
                break;
            }
        }
        writes.finish();
    }
    m_journal.reset();
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
        const journal::FileBefore& read = m_files[index];
        saved = read.timesRead ? read.record.times : saved;  // taken before the file was read
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
        // Times step only for the files that get them: the next planned times.
        turn.times = m_plannedTimes[m_timesTaken++];
        turn.counted = true;
    }
    if (m_journal && m_entryOf[index] != SIZE_MAX && !m_journal->markThrough(m_entryOf[index])) {
        writes.finish();
        ui::ReportMarkFailure(m_prompts, m_owner, *m_journal);
        return Flow::Stop;
    }
    if (!writesDocuments()) {
        return writes.pass(index, turn) ? Flow::GoOn : Flow::Stop;
    }
    return dispatchWrite(index, turn, writes);
}

BatchChangeRun::Flow BatchChangeRun::dispatchWrite(std::size_t index, FileTurn turn,
                                                   Writes& writes) {
    turn.wrote = true;
    turn.code = journal::foreseenFailure(m_files[index]);
    if (turn.code != props::kSuccess) {
        // Asked about before any later file is written.
        return writes.finish() && writes.pass(index, turn) ? Flow::GoOn : Flow::Stop;
    }
    const bool goOn = writes.dispatch(
        index, [this, path = m_snapshot->paths[index], request = request(index), turn]() mutable {
            turn.code = m_writeDocument(path, request);
            platform::FileStatus written;
            if (changedFile(turn.code) && platform::queryFileStatus(path, written)) {
                turn.modifiedAfter = written.times.modified;
            }
            return turn;
        });
    return goOn ? Flow::GoOn : Flow::Stop;
}

BatchChangeRun::Flow BatchChangeRun::finishFile(std::size_t index, const FileTurn& turn) {
    const std::string& path = m_snapshot->paths[index];
    // A file the write changed gets its times before any question about it: a run stopped
    // there must not leave it with the times of the write.
    const bool changed = turn.wrote && changedFile(turn.code);
    if (turn.wrote && !changed && reportWrite(path, turn.code) == Flow::Stop) {
        return Flow::Stop;
    }
    finishTimes(index, turn);
    return changed ? reportWrite(path, turn.code) : Flow::GoOn;
}

void BatchChangeRun::finishTimes(std::size_t index, const FileTurn& turn) {
    std::optional<std::int64_t> modified = turn.modifiedAfter;
    if (turn.times) {
        setTimeStamps(m_snapshot->paths[index], *turn.times, turn.counted);
        modified = turn.times->modification != 0 ? turn.times->modification : modified;
    }
    if (m_journal && m_entryOf[index] != SIZE_MAX && modified) {
        m_journal->recordResult(m_entryOf[index], *modified);
    }
}

bool BatchChangeRun::writesDocuments() const {
    return m_snapshot->mode != TimeStampMode::TimeStampsOnly && m_tickedCount > 0;
}

// The journal, written before the first file: every file that can be recorded, with the values
// the ticked fields, this file's dates and the times give it.
bool BatchChangeRun::startJournal() {
    const FileTimeStamps& times = m_snapshot->fileTimes;
    const bool setsTimes = m_snapshot->mode == TimeStampMode::AlsoTimeStamps ||
                           m_snapshot->mode == TimeStampMode::TimeStampsOnly;
    const std::function<props::PropertyWriteRequest(std::size_t)> requestOf =
        [this](std::size_t i) { return request(i); };
    return ui::StartRunJournal(
        m_prompts, m_owner, journal::RunKind::PropertyChange,
        journal::requestEntries(
            m_files, writesDocuments() ? requestOf : nullptr,
            setsTimes ? platform::FileTimes{times.creation, times.access, times.modification, true}
                      : platform::FileTimes{},
            m_entryOf),
        m_journal);
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

void BatchChangeRun::stepFileTimes(FileTimeStamps& times) const {
    const IncrementMode mode = m_increments.mode;
    const FileTimeStamps& base = m_snapshot->fileTimes;
    StepDate(mode, base.creation, times.creation, m_increments.increment[kIncrementSlotEditAccess]);
    StepDate(mode, base.access, times.access, m_increments.increment[kIncrementSlotCreated]);
    StepDate(mode, base.modification, times.modification,
             m_increments.increment[kIncrementSlotLastSaved]);
}

// Each file's dates and times, stepped file by file in list order (the times first), taken
// before the run so that the journal records the dates each file will get. A file that is
// not written takes no times: the next one gets them.
void BatchChangeRun::planSteps() {
    const TimeStampMode mode = m_snapshot->mode;
    const bool stepsTimes =
        mode == TimeStampMode::AlsoTimeStamps || mode == TimeStampMode::TimeStampsOnly;
    FileTimeStamps times = m_snapshot->fileTimes;
    std::array<std::int64_t, props::kDateCount> dates = m_snapshot->dates;
    m_plannedTimes.clear();
    m_plannedDates.clear();
    m_timesTaken = 0;
    for (std::size_t i = 0; i < m_snapshot->paths.size(); ++i) {
        m_plannedTimes.push_back(times);
        m_plannedDates.push_back(dates);
        if (stepsTimes) {
            stepFileTimes(times);
        }
        for (std::size_t k = 0; k < props::kDateCount; ++k) {
            if (m_snapshot->dateTicked[k]) {
                StepDate(m_increments.mode, m_snapshot->dates[k], dates[k],
                         m_increments.increment[k]);
            }
        }
    }
}

props::PropertyWriteRequest BatchChangeRun::request(std::size_t index) const {
    props::PropertyWriteRequest request;
    request.fields = m_snapshot->fields;
    request.writeDocSummary = m_snapshot->writeDocSummary;
    request.customEdits = m_snapshot->customEdits;
    if (std::find(m_snapshot->dateTicked.begin(), m_snapshot->dateTicked.end(), true) !=
        m_snapshot->dateTicked.end()) {
        std::array<std::uint64_t, props::kDateCount> dates{};
        for (std::size_t k = 0; k < props::kDateCount; ++k) {
            if (m_snapshot->dateTicked[k]) {
                dates[k] = platform::unixSecondsToFileTime(m_plannedDates[index][k]);
            }
        }
        request.dates = dates;
    }
    return request;
}

}  // namespace quorvel::batch

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/date_increment.h"
#include "batch/file_time_stamps.h"
#include "batch/time_stamp_mode.h"
#include "document/document_access.h"
#include "journal/files_before.h"
#include "platform/file_status.h"
#include "platform/overlapped_writes.h"
#include "prompts/prompts.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::batch {

// What a batch change applies, taken from the main dialog when it starts.
struct BatchSnapshot {
    std::vector<std::string> paths;  // the marked rows, top to bottom
    TimeStampMode mode = TimeStampMode::NoChange;
    std::array<props::TextFieldEdit, props::kTextFieldCount> fields;
    std::array<bool, props::kDateCount> dateTicked{};
    std::array<std::int64_t, props::kDateCount> dates{};  // seconds since 1970 UTC
    FileTimeStamps fileTimes;
    bool writeDocSummary = true;
    std::vector<props::CustomEdit> customEdits;  // the same for every file
};

// N, P and T of the summary, and the files that kept their creation time because their file
// system cannot store one.
struct BatchCounts {
    unsigned selected = 0;
    unsigned properties = 0;
    unsigned timeStamps = 0;
    unsigned creationKept = 0;
};

// One batch change over the marked files: the read-only check, the property write, the time
// stamps by mode, the error prompt with its "yes to all" memory, and the date steps.
class BatchChangeRun {
  public:
    // CheckFileStatus of the main dialog: path, skipTimes, times, what to do before a
    // question (false: no question); 0 go on.
    using StatusCheck = std::function<std::uint8_t(const std::string&, bool, platform::FileTimes*,
                                                   const std::function<bool()>&)>;
    // Shows the progress text of the status line.
    using Progress = std::function<void(const QString&)>;
    // Writes a document's properties (document::WriteDocProperties); called on the write threads.
    using DocumentWrite =
        std::function<props::MessageCode(const std::string&, const props::PropertyWriteRequest&)>;

    // writeThreads: how many files are written at once (1: one after the other).
    BatchChangeRun(ui::Prompts& prompts, QWidget* owner, StatusCheck statusCheck, Progress progress,
                   const DateIncrementSettings& increments,
                   unsigned writeThreads = platform::defaultWriteThreads(),
                   DocumentWrite writeDocument = document::WriteDocProperties);

    BatchCounts run(const BatchSnapshot& snapshot);

  private:
    enum class Flow { GoOn, Stop };
    // What is left of a file once its write has ended (or when it has none): the write's
    // outcome to report, then its time stamps, on the calling thread in list order.
    struct FileTurn {
        bool wrote = false;
        props::MessageCode code = props::kSuccess;
        std::optional<FileTimeStamps> times;
        bool counted = false;                       // the time stamps count in the summary
        std::optional<std::int64_t> modifiedAfter;  // once the write is done
    };
    using Writes = platform::OverlappedWrites<FileTurn>;

    Flow processFile(std::size_t index, Writes& writes);
    Flow dispatchWrite(std::size_t index, FileTurn turn, Writes& writes);
    Flow finishFile(std::size_t index, const FileTurn& turn);
    // The file's time stamps, then its modification time in the journal.
    void finishTimes(std::size_t index, const FileTurn& turn);
    Flow reportWrite(const std::string& path, props::MessageCode code);
    void setTimeStamps(const std::string& path, const FileTimeStamps& times, bool counted);
    void stepFileTimes(FileTimeStamps& times) const;
    void planSteps();
    bool writesDocuments() const;
    bool startJournal();
    props::PropertyWriteRequest request(std::size_t index) const;

    ui::Prompts& m_prompts;
    QWidget* m_owner;
    StatusCheck m_statusCheck;
    Progress m_progress;
    const DateIncrementSettings& m_increments;
    const unsigned m_writeThreads;
    const DocumentWrite m_writeDocument;

    const BatchSnapshot* m_snapshot = nullptr;
    unsigned m_tickedCount = 0;
    std::vector<std::array<std::int64_t, props::kDateCount>> m_plannedDates;
    std::vector<FileTimeStamps> m_plannedTimes;
    std::size_t m_timesTaken = 0;
    std::vector<journal::FileBefore> m_files;
    std::vector<std::size_t> m_entryOf;  // each file's journal entry, SIZE_MAX for none
    std::unique_ptr<journal::RunJournal> m_journal;
    std::optional<ui::ErrorPromptResult> m_lastAnswer;
    BatchCounts m_counts;
};

}  // namespace quorvel::batch

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/date_increment.h"
#include "batch/file_time_stamps.h"
#include "batch/time_stamp_mode.h"
#include "platform/file_status.h"
#include "prompts/prompts.h"
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
    // CheckFileStatus of the main dialog: path, skipTimes, times; 0 go on.
    using StatusCheck = std::function<std::uint8_t(const std::string&, bool, platform::FileTimes*)>;
    // Shows the progress text of the status line.
    using Progress = std::function<void(const QString&)>;

    BatchChangeRun(ui::Prompts& prompts, QWidget* owner, StatusCheck statusCheck, Progress progress,
                   const DateIncrementSettings& increments);

    BatchCounts run(const BatchSnapshot& snapshot);

  private:
    enum class Flow { GoOn, Stop };

    Flow processFile(const std::string& path);
    Flow writeProperties(const std::string& path);
    void setTimeStamps(const std::string& path, const FileTimeStamps& times, bool counted);
    void stepFileTimes();
    void stepDates();
    props::PropertyWriteRequest request() const;

    ui::Prompts& m_prompts;
    QWidget* m_owner;
    StatusCheck m_statusCheck;
    Progress m_progress;
    const DateIncrementSettings& m_increments;

    const BatchSnapshot* m_snapshot = nullptr;
    unsigned m_tickedCount = 0;
    std::array<std::int64_t, props::kDateCount> m_workingDates{};
    FileTimeStamps m_workingTimes;
    std::optional<ui::ErrorPromptResult> m_lastAnswer;
    BatchCounts m_counts;
};

}  // namespace quorvel::batch

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/csv_apply.h"
#include "journal/run_journal.h"

namespace quorvel::journal {

// A run as the list of runs shows it.
struct RunSummary {
    std::string folder;
    std::int64_t started = 0;  // seconds since 1970 UTC
    RunKind kind = RunKind::PropertyChange;
    std::size_t written = 0;  // files marked written
};

// The recorded runs, newest first; a run whose record is incomplete is left out.
std::vector<RunSummary> listRuns();

// A run's record: the values before and after it, and the files it marked written.
struct RecordedRun {
    RunKind kind = RunKind::PropertyChange;
    csv::ApplySheet before;
    csv::ApplySheet after;
    std::vector<bool> written;
    std::vector<std::optional<std::int64_t>> modifiedAfter;
};
// Reads the run in folder; false with the reason when its record is damaged.
bool loadRun(const std::string& folder, RecordedRun& run, std::string& error);

// The restore of one file a run wrote: what writing its old values back changes. A file that
// does not hold the run's new values any more was changed since by someone: its restore is
// dropped and listed as ignored (unless forced). A file that holds its old values (the run
// stopped before it) needs nothing.
csv::RowPreview previewRestore(const RecordedRun& run, std::size_t row, bool force);

// The rows an undo restores: those of the files the run marked written.
std::vector<std::size_t> rowsToRestore(const RecordedRun& run);

// Reads a folder's times as the file times of a row: kFileNotFound when it cannot be opened.
props::MessageCode readFolderForApply(const std::string& path, platform::FileTimes& times);

// Sets a folder's times as an undo restores them; creationKept when its file system keeps
// none. False with the system's text.
bool restoreFolderTimes(const std::string& path, const platform::FileTimes& times,
                        bool& creationKept, std::string& error);

}  // namespace quorvel::journal

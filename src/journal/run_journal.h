// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "export/csv_apply.h"
#include "export/csv_format.h"
#include "platform/file_status.h"
#include "props/property_record.h"

namespace quorvel::journal {

// What kind of run wrote the files, as the list of runs shows it.
enum class RunKind { PropertyChange, FolderTimes, CsvApply, Undo, CommandWrite, FolderUndo };

// Whether the run's rows name folders, whose times alone it changes.
inline bool namesFolders(RunKind kind) {
    return kind == RunKind::FolderTimes || kind == RunKind::FolderUndo;
}

// One file or folder of a run: what it holds before the run, and the columns (named as in the
// export's header) the run gives a new value. A folder has no properties, only times.
struct JournalEntry {
    csv::ExportRecord before;
    std::vector<csv::FieldChange> changes;  // column and wanted value
};

// The changes a property write request and a set of file times make, as journal columns: the
// text fields it marks, its dates, and the times that are not 0.
std::vector<csv::FieldChange> requestedChanges(const props::PropertyWriteRequest& request,
                                               const platform::FileTimes& times);

// The entries of a run that applies rows: each file that was read and changes, with its values
// as read and the row's. paths and previews go together; entryOf maps each row to its entry,
// SIZE_MAX for a row with none.
std::vector<JournalEntry> sheetEntries(const std::vector<std::string>& paths,
                                       const std::vector<csv::RowPreview>& previews,
                                       std::vector<std::size_t>& entryOf);

// The record of one run, written before its first write: the old and new values of every file
// in the export's CSV layout (before.csv, after.csv), and the files marked as the run writes
// them (written.txt). Undo applies before.csv to the marked files.
class RunJournal {
  public:
    // Records the run under the journal folder and makes it durable. No journal (nullptr, no
    // error) when no entry changes anything; nullptr with the reason when it cannot be written,
    // and then the run must not write either. Old runs are pruned.
    static std::unique_ptr<RunJournal> begin(RunKind kind, const std::vector<JournalEntry>& entries,
                                             std::string& error);

    // Marks entries as being written, durably, before they are. Safe from several threads.
    bool markWritten(const std::vector<std::size_t>& entries);
    // Marks the entry before it is written, with the next ones of its group, unless an earlier
    // call did: a run that goes through its entries in order makes one durable mark per group,
    // not one per file. An entry marked and then left alone undoes as no change.
    bool markThrough(std::size_t entry);
    // Notes the file's modification time once its write and time stamps are done, so that an
    // undo can tell a later change; kept with the next mark, and at the latest on destruction.
    void recordResult(std::size_t entry, std::int64_t modified);

    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    const std::string& folder() const { return m_folder; }

  private:
    static constexpr std::size_t kMarkGroup = 64;

    RunJournal(std::string folder, std::size_t entries)
        : m_folder(std::move(folder)), m_entries(entries) {}

    bool appendMarks(std::string lines);

    std::string m_folder;
    std::size_t m_entries;
    std::size_t m_markedUpTo = 0;  // markThrough's entries before this one are marked
    std::mutex m_mutex;
    std::string m_pendingResults;
};

// The folder holding one folder per run: $XDG_STATE_HOME/quorvel/journal (on Windows under
// %LOCALAPPDATA%\Quorvel). QUORVEL_JOURNAL_DIR overrides it, for tests.
std::string journalRoot();

}  // namespace quorvel::journal

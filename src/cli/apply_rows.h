// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "export/csv_apply.h"
#include "journal/run_journal.h"

namespace quorvel::cli {

// How the rows of a sheet are applied and reported.
struct SheetRunOptions {
    bool dryRun = false;
    bool json = false;
    unsigned jobs = 1;  // files written at once
    journal::RunKind kind = journal::RunKind::CsvApply;
};

// Records a run before its first write; false, with the reason told on err, when it cannot be
// (then nothing may be written). journal stays empty when nothing changes.
bool startRunJournal(journal::RunKind kind, const std::vector<journal::JournalEntry>& entries,
                     std::unique_ptr<journal::RunJournal>& journal, std::ostream& err);

// Marks an entry before its file is written; false, told on err, when the mark cannot be
// written (the run stops before that file). True without a journal or an entry (SIZE_MAX).
bool markBeforeWrite(journal::RunJournal* journal, std::size_t entry, const std::string& path,
                     std::ostream& err);

// Reads every row's file on a pool of threads (preview(i) for sheet row rows[i]), records the
// run in the journal, then writes the files' changes, several at once, and reports each in row
// order. The
// exit status: kExitFailed when a file failed, was left alone as changed since, or the journal
// could not be written (then nothing is).
int applySheetRows(const csv::ApplySheet& sheet, const std::vector<std::size_t>& rows,
                   const std::function<csv::RowPreview(std::size_t)>& preview,
                   const SheetRunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quorvel::cli

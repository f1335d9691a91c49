// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <vector>

#include "export/csv_apply.h"
#include "journal/run_journal.h"

namespace quorvel::cli {

// How the rows of a sheet are applied and reported.
struct SheetRunOptions {
    bool dryRun = false;
    bool json = false;
    journal::RunKind kind = journal::RunKind::CsvApply;
};

// Reads every row's file on a pool of threads (preview(i) for sheet row rows[i]), records the
// run in the journal, then writes each file's changes and reports it in row order. The
// exit status: kExitFailed when a file failed, was left alone as changed since, or the journal
// could not be written (then nothing is).
int applySheetRows(const csv::ApplySheet& sheet, const std::vector<std::size_t>& rows,
                   const std::function<csv::RowPreview(std::size_t)>& preview,
                   const SheetRunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace quorvel::cli

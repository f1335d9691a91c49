// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <vector>

#include "journal/run_journal.h"
#include "prompts/prompts.h"

namespace quorvel::ui {

// Records a run before its first write. False, after telling the user that nothing was
// changed, when the record cannot be written; journal stays empty when nothing changes.
bool StartRunJournal(Prompts& prompts, QWidget* owner, journal::RunKind kind,
                     const std::vector<journal::JournalEntry>& entries,
                     std::unique_ptr<journal::RunJournal>& journal);

// Tells the user that a file's mark could not be written and the run stops before it.
void ReportMarkFailure(Prompts& prompts, QWidget* owner, const journal::RunJournal& journal);

// Marks an entry (with the next ones of its group) before it is written. False, after telling
// the user that the run stops here, when the mark cannot be written.
bool MarkWritten(Prompts& prompts, QWidget* owner, journal::RunJournal* journal, std::size_t entry);

}  // namespace quorvel::ui

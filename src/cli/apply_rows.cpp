// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/apply_rows.h"

#include <memory>
#include <string>

#include "cli/cli_text.h"
#include "cli/command.h"
#include "cli/file_times.h"
#include "document/document_access.h"
#include "journal/undo_run.h"
#include "platform/overlapped_writes.h"

namespace quorvel::cli {
namespace {

// What became of one row.
struct RowOutcome {
    csv::FileChanges changes;
    props::MessageCode code = props::kSuccess;
    std::string notice;  // a time stamp not set, and why
    bool failed = false;
};

bool setTimes(const std::string& path, const platform::FileTimes& times, bool folder,
              bool& creationKept, std::string& error) {
    if (folder) {
        return journal::restoreFolderTimes(path, times, creationKept, error);
    }
    platform::SystemError failure;
    const bool done = setFileTimes(path, times, creationKept, failure);
    error = failure.text;
    return done;
}

RowOutcome applyRow(const std::string& path, const csv::RowPreview& preview,
                    const SheetRunOptions& options) {
    RowOutcome outcome{preview.changes, preview.code, {}, preview.code != props::kSuccess};
    if (outcome.failed || options.dryRun || !outcome.changes.any()) {
        return outcome;
    }
    if (outcome.changes.writesDocument) {
        outcome.code = document::WriteDocProperties(path, outcome.changes.request);
        if (outcome.code != props::kSuccess) {
            outcome.failed = true;
            return outcome;
        }
    }
    // Times the sheet does not change stay as they were before the write.
    const platform::FileTimes times = csv::timesToSet(preview);
    bool creationKept = false;
    std::string error;
    if (!setTimes(path, times, journal::namesFolders(options.kind), creationKept, error)) {
        outcome.notice = "time stamps not set: " + error;
        outcome.failed = true;
    } else if (creationKept && times.created != preview.before.created) {
        outcome.notice = "the file system keeps no creation time: it stays as it was";
    }
    return outcome;
}

void printChanges(std::ostream& out, const std::vector<csv::FieldChange>& changes,
                  std::string_view label) {
    for (const csv::FieldChange& change : changes) {
        out << "  " << change.column << ": \"" << change.current << "\" -> \"" << change.wanted
            << '"';
        if (!change.reason.empty()) {
            out << " (" << label << ": " << change.reason << ')';
        }
        out << '\n';
    }
}

void printText(std::ostream& out, const csv::ApplyRow& row, const RowOutcome& outcome,
               bool dryRun) {
    out << row.path << ": ";
    if (outcome.failed && outcome.notice.empty()) {
        out << outcomeText(outcome.code) << '\n';
        return;
    }
    out << (!outcome.changes.any() ? "unchanged" : (dryRun ? "would change" : "changed")) << '\n';
    printChanges(out, outcome.changes.changes, "");
    printChanges(out, outcome.changes.ignored, "ignored");
    if (!outcome.notice.empty()) {
        out << "  " << outcome.notice << '\n';
    }
}

void appendJsonChanges(std::string& json, std::string_view key,
                       const std::vector<csv::FieldChange>& changes) {
    json += ",\"";
    json += key;
    json += "\":[";
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const csv::FieldChange& change = changes[i];
        json += i == 0 ? "{" : ",{";
        for (const auto& [name, value] :
             {std::pair<std::string_view, std::string_view>{"field", change.column},
              {"current", change.current},
              {"new", change.wanted},
              {"reason", change.reason}}) {
            if (name != "field") {
                json += ',';
            }
            json += '"';
            json += name;
            json += "\":\"";
            appendJsonEscaped(json, value);
            json += '"';
        }
        json += '}';
    }
    json += ']';
}

void printJson(std::ostream& out, const csv::ApplyRow& row, const RowOutcome& outcome) {
    std::string json = "{\"path\":\"";
    appendJsonEscaped(json, row.path);
    json += "\",\"line\":" + std::to_string(row.line);
    json += ",\"code\":" + std::to_string(outcome.code);
    json += ",\"failed\":";
    json += outcome.failed ? "true" : "false";
    appendJsonChanges(json, "changes", outcome.changes.changes);
    appendJsonChanges(json, "ignored", outcome.changes.ignored);
    json += ",\"notice\":\"";
    appendJsonEscaped(json, outcome.notice);
    json += "\"}\n";
    out << json;
}

void report(const csv::ApplyRow& row, const RowOutcome& outcome, const SheetRunOptions& options,
            std::ostream& out) {
    if (options.json) {
        printJson(out, row, outcome);
    } else {
        printText(out, row, outcome, options.dryRun);
    }
}

}  // namespace

bool startRunJournal(journal::RunKind kind, const std::vector<journal::JournalEntry>& entries,
                     std::unique_ptr<journal::RunJournal>& journal, std::ostream& err) {
    std::string error;
    journal = journal::RunJournal::begin(kind, entries, error);
    if (!error.empty()) {
        err << "quorvel-cli: cannot record the run for undo (" << error
            << "). Nothing was written.\n";
    }
    return error.empty();
}

bool markBeforeWrite(journal::RunJournal* journal, std::size_t entry, const std::string& path,
                     std::ostream& err) {
    if (journal == nullptr || entry == SIZE_MAX || journal->markThrough(entry)) {
        return true;
    }
    err << "quorvel-cli: cannot record the run for undo. Stopped before " << path << ".\n";
    return false;
}

int applySheetRows(const csv::ApplySheet& sheet, const std::vector<std::size_t>& rows,
                   const std::function<csv::RowPreview(std::size_t)>& preview,
                   const SheetRunOptions& options, std::ostream& out, std::ostream& err) {
    const std::vector<csv::RowPreview> previews =
        csv::previewRows(rows.size(), [&](std::size_t i) { return preview(rows[i]); });
    std::vector<std::size_t> entryOfRow(rows.size(), SIZE_MAX);
    std::unique_ptr<journal::RunJournal> journal;
    if (!options.dryRun) {
        std::vector<std::string> paths;
        for (const std::size_t row : rows) {
            paths.push_back(sheet.rows[row].path);
        }
        if (!startRunJournal(options.kind, journal::sheetEntries(paths, previews, entryOfRow),
                             journal, err)) {
            return kExitFailed;
        }
    }
    // The files with changes are written several at once, each reported in row order.
    int status = kExitOk;
    platform::OverlappedWrites<RowOutcome> writes(
        options.jobs, [&](std::size_t i, const RowOutcome& outcome) {
            if (journal && entryOfRow[i] != SIZE_MAX && !outcome.failed) {
                journal->recordResult(entryOfRow[i], csv::timesToSet(previews[i]).modified);
            }
            report(sheet.rows[rows[i]], outcome, options, out);
            const bool leftAlone = !outcome.changes.ignored.empty() && !outcome.changes.any() &&
                                   options.kind != journal::RunKind::CsvApply;
            status = outcome.failed || leftAlone ? kExitFailed : status;
            return true;
        });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& path = sheet.rows[rows[i]].path;
        const csv::RowPreview& read = previews[i];
        if (!journal || entryOfRow[i] == SIZE_MAX) {
            writes.pass(i, applyRow(path, read, options));
            continue;
        }
        if (!markBeforeWrite(journal.get(), entryOfRow[i], path, err)) {
            writes.finish();
            return kExitFailed;
        }
        writes.dispatch(i, [&path, &read, &options] { return applyRow(path, read, options); });
    }
    writes.finish();
    return status;
}

}  // namespace quorvel::cli

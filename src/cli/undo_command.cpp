// SPDX-License-Identifier: GPL-3.0-or-later
#include <optional>
#include <string_view>

#include "cli/apply_rows.h"
#include "cli/command.h"
#include "export/csv_format.h"
#include "journal/undo_run.h"
#include "platform/overlapped_writes.h"
#include "platform/utf8_path.h"

namespace quorvel::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: quorvel-cli undo [--list] [--dry-run] [--force] [--json] [RUN]\n"
    "  writes back the values a run changed (the newest run when none is named): its files'\n"
    "  text fields, dates and time stamps. A file changed since by anyone is left alone.\n"
    "  --list     list the recorded runs, newest first: RUN, start, kind, files written\n"
    "  --dry-run  show each change (current -> old) and write nothing\n"
    "  --force    also restore the files changed since the run\n"
    "  --json     one JSON object per file\n";

struct UndoCommand {
    bool list = false;
    bool dryRun = false;
    bool force = false;
    bool json = false;
    std::string run;
};

std::string parseArguments(const Arguments& args, UndoCommand& command) {
    for (const std::string& arg : args) {
        if (arg == "--list") {
            command.list = true;
        } else if (arg == "--dry-run") {
            command.dryRun = true;
        } else if (arg == "--force") {
            command.force = true;
        } else if (arg == "--json") {
            command.json = true;
        } else if (arg.starts_with("--") || !command.run.empty()) {
            return "unexpected argument " + arg;
        } else {
            command.run = arg;
        }
    }
    return "";
}

constexpr std::string_view kindText(journal::RunKind kind) {
    switch (kind) {
        case journal::RunKind::PropertyChange:
            return "change";
        case journal::RunKind::FolderTimes:
            return "folder times";
        case journal::RunKind::CsvApply:
            return "apply";
        case journal::RunKind::CommandWrite:
            return "write";
        default:
            return "undo";
    }
}

int listRuns(const std::vector<journal::RunSummary>& runs, std::ostream& out) {
    for (const journal::RunSummary& run : runs) {
        out << platform::utf8FromPath(platform::pathFromUtf8(run.folder).filename()) << "  "
            << csv::formatLocalTime(run.started).value_or("") << "  " << kindText(run.kind) << "  "
            << run.written << (run.written == 1 ? " file\n" : " files\n");
    }
    return kExitOk;
}

// The run's folder: the one named, or the newest; nullopt when there is none.
std::optional<std::string> chosenRun(const std::vector<journal::RunSummary>& runs,
                                     const std::string& name) {
    for (const journal::RunSummary& run : runs) {
        if (name.empty() ||
            platform::utf8FromPath(platform::pathFromUtf8(run.folder).filename()) == name) {
            return run.folder;
        }
    }
    return std::nullopt;
}

}  // namespace

int runUndo(const Arguments& args, std::ostream& out, std::ostream& err) {
    UndoCommand command;
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitOk;
    }
    if (const std::string problem = parseArguments(args, command); !problem.empty()) {
        err << "quorvel-cli undo: " << problem << '\n' << kUsage;
        return kExitUsage;
    }
    const std::vector<journal::RunSummary> runs = journal::listRuns();
    if (command.list) {
        return listRuns(runs, out);
    }
    const std::optional<std::string> folder = chosenRun(runs, command.run);
    journal::RecordedRun run;
    std::string error = "no recorded run";
    if (!folder || !journal::loadRun(*folder, run, error)) {
        err << "quorvel-cli undo: " << (command.run.empty() ? "" : command.run + ": ") << error
            << '\n';
        return kExitFailed;
    }
    const journal::RunKind kind =
        journal::namesFolders(run.kind) ? journal::RunKind::FolderUndo : journal::RunKind::Undo;
    return applySheetRows(
        run.before, journal::rowsToRestore(run),
        [&](std::size_t row) { return journal::previewRestore(run, row, command.force); },
        {command.dryRun, command.json, platform::defaultWriteThreads(), kind}, out, err);
}

}  // namespace quorvel::cli

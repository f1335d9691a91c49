// SPDX-License-Identifier: GPL-3.0-or-later
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

#include "cli/cli_text.h"
#include "cli/command.h"
#include "cli/file_times.h"
#include "cli/jobs_option.h"
#include "document/document_access.h"
#include "export/csv_apply.h"
#include "platform/overlapped_writes.h"
#include "platform/utf8_path.h"

namespace quorvel::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: quorvel-cli apply [--dry-run] [--json] [--encoding auto|cp932|utf-8] [-j N] FILE.csv\n"
    "  writes into each file the CSV lists the values of its row that differ from the file's:\n"
    "  the text fields, the four dates and the file's time stamps. The header uses the\n"
    "  export's column names, in any order, ファイル名 among them; a column left out leaves\n"
    "  that field alone. The whole CSV is checked before any file is touched.\n"
    "  --dry-run   show each change (current -> new) and write nothing\n"
    "  --json      one JSON object per file\n"
    "  --encoding  the CSV's encoding; auto (the default): a byte-order mark or valid UTF-8\n"
    "              is UTF-8, anything else code page 932\n"
    "  -j N        how many files are written at once (1: one after the other); the\n"
    "              results are shown in the order of the rows either way\n";

struct ApplyCommand {
    bool dryRun = false;
    bool json = false;
    csv::CsvInputEncoding encoding = csv::CsvInputEncoding::Auto;
    unsigned jobs = platform::defaultWriteThreads();
    std::string sheetPath;
};

std::optional<csv::CsvInputEncoding> inputEncodingNamed(std::string_view name) {
    if (name == "auto") {
        return csv::CsvInputEncoding::Auto;
    }
    if (name == "cp932") {
        return csv::CsvInputEncoding::Cp932;
    }
    if (name == "utf-8") {
        return csv::CsvInputEncoding::Utf8;
    }
    return std::nullopt;
}

// Fills command from the arguments; an error message when they are wrong.
std::string parseArguments(const Arguments& args, ApplyCommand& command) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--dry-run" || arg == "--json") {
            (arg == "--json" ? command.json : command.dryRun) = true;
        } else if (arg == "--encoding") {
            const auto encoding =
                i + 1 < args.size() ? inputEncodingNamed(args[++i]) : std::nullopt;
            if (!encoding) {
                return "--encoding needs auto, cp932 or utf-8";
            }
            command.encoding = *encoding;
        } else if (arg == kJobsOption) {
            if (++i == args.size() || !parseJobs(args[i], command.jobs)) {
                return "-j needs a number from 1 to 1024";
            }
        } else if (arg.starts_with("--") || !command.sheetPath.empty()) {
            return "unexpected argument " + arg;
        } else {
            command.sheetPath = arg;
        }
    }
    return command.sheetPath.empty() ? "no CSV file given" : "";
}

// What became of one row.
struct RowOutcome {
    csv::FileChanges changes;
    props::MessageCode code = props::kSuccess;
    std::string notice;  // a time stamp not set, and why
    bool failed = false;
};

RowOutcome applyRow(const csv::ApplyRow& row, const csv::RowPreview& preview, bool dryRun) {
    RowOutcome outcome{preview.changes, preview.code, {}, preview.code != props::kSuccess};
    if (outcome.failed || dryRun || !outcome.changes.any()) {
        return outcome;
    }
    if (outcome.changes.writesDocument) {
        outcome.code = document::WriteDocProperties(row.path, outcome.changes.request);
        if (outcome.code != props::kSuccess) {
            outcome.failed = true;
            return outcome;
        }
    }
    // Times the sheet does not change stay as they were before the write.
    const platform::FileTimes times = csv::timesToSet(preview);
    bool creationKept = false;
    platform::SystemError error;
    if (!setFileTimes(row.path, times, creationKept, error)) {
        outcome.notice = "time stamps not set: " + error.text;
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

}  // namespace

int runApply(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitOk;
    }
    ApplyCommand command;
    if (const std::string problem = parseArguments(args, command); !problem.empty()) {
        err << "quorvel-cli apply: " << problem << '\n' << kUsage;
        return kExitUsage;
    }
    std::ifstream in(platform::pathFromUtf8(command.sheetPath), std::ios::binary);
    if (!in) {
        err << "quorvel-cli apply: cannot read " << command.sheetPath << '\n';
        return kExitFailed;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    csv::ApplySheet sheet;
    csv::CsvError error;
    if (!csv::readApplySheet(bytes, command.encoding, sheet, error)) {
        err << command.sheetPath;
        if (error.line != 0) {
            err << ':' << error.line;
        }
        err << ": " << error.message << " Nothing was written.\n";
        return kExitFailed;
    }
    // The files are read on a pool of threads; then the files with changes, known here
    // before the first write, are written several at once, each reported in row order.
    const std::vector<csv::RowPreview> previews = csv::previewSheet(sheet);
    int status = kExitOk;
    platform::OverlappedWrites<RowOutcome> writes(
        command.jobs, [&](std::size_t i, const RowOutcome& outcome) {
            if (command.json) {
                printJson(out, sheet.rows[i], outcome);
            } else {
                printText(out, sheet.rows[i], outcome, command.dryRun);
            }
            status = outcome.failed ? kExitFailed : status;
            return true;
        });
    for (std::size_t i = 0; i < previews.size(); ++i) {
        const csv::ApplyRow& row = sheet.rows[i];
        const csv::RowPreview& preview = previews[i];
        if (command.dryRun || preview.code != props::kSuccess || !preview.changes.any()) {
            writes.pass(i, applyRow(row, preview, command.dryRun));
        } else {
            writes.dispatch(i, [&row, &preview] { return applyRow(row, preview, false); });
        }
    }
    writes.finish();
    return status;
}

}  // namespace quorvel::cli

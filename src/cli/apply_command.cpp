// SPDX-License-Identifier: GPL-3.0-or-later
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>
#include <string_view>

#include "cli/apply_rows.h"
#include "cli/command.h"
#include "cli/jobs_option.h"
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
    std::vector<std::size_t> rows(sheet.rows.size());
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    return applySheetRows(
        sheet, rows, [&sheet](std::size_t row) { return csv::previewRow(sheet, sheet.rows[row]); },
        {command.dryRun, command.json, command.jobs, journal::RunKind::CsvApply}, out, err);
}

}  // namespace quorvel::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include <optional>
#include <string_view>

#include "cli/cli_text.h"
#include "cli/command.h"
#include "cli/jobs_option.h"
#include "document/document_access.h"
#include "export/csv_format.h"
#include "platform/file_status.h"
#include "platform/ordered_parallel.h"

namespace quorvel::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: quorvel-cli export [-j N] [--encoding cp932|utf-8] [--custom] --out FILE.csv FILE...\n"
    "  writes the properties and time stamps of the files as one CSV file in code page 932\n"
    "  (or UTF-8 with a byte-order mark), the layout of the program's own export; files that\n"
    "  cannot be read are reported and left out\n"
    "  --custom: a column \"custom:NAME\" more for each user-defined property name found\n"
    "  -j N: read up to N files at once (default: a few per core; 1: one after the other)\n";

struct ExportOptions {
    std::string output;
    std::optional<csv::CsvEncoding> encoding;
    std::vector<std::string> files;
    unsigned jobs = platform::defaultReadThreads();
    bool withCustom = false;
};

// Reads the command line; false after reporting what is wrong with it.
bool parseOptions(const Arguments& args, ExportOptions& options, std::ostream& err) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || (!arg.starts_with("--") && arg != kJobsOption)) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--custom") {
            options.withCustom = true;
        } else if (arg == "--out" && i + 1 < args.size() && options.output.empty()) {
            options.output = args[++i];
        } else if (arg == "--encoding" && i + 1 < args.size() && !options.encoding) {
            options.encoding = csv::csvEncodingNamed(args[++i]);
            if (!options.encoding) {
                err << "quorvel-cli export: unknown encoding " << args[i] << '\n' << kUsage;
                return false;
            }
        } else if (arg == kJobsOption && i + 1 < args.size() &&
                   parseJobs(args[i + 1], options.jobs)) {
            ++i;
        } else {
            err << "quorvel-cli export: unexpected " << arg << '\n' << kUsage;
            return false;
        }
    }
    if (options.output.empty() || options.files.empty()) {
        err << "quorvel-cli export: " << (options.output.empty() ? "no --out file" : "no file")
            << " given\n"
            << kUsage;
        return false;
    }
    return true;
}

// One file's record: its times as they are before the read, then its properties.
props::MessageCode readRecord(const std::string& path, csv::ExportRecord& record, bool withCustom) {
    record.path = path;
    platform::FileStatus status;
    if (platform::queryFileStatus(path, status)) {
        record.times = status.times;
    }
    return document::ReadDocProperties(path, record.properties,
                                       withCustom ? &record.custom : nullptr);
}

struct FileRecord {
    props::MessageCode code = props::kSuccess;
    csv::ExportRecord record;
};

}  // namespace

int runExport(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitOk;
    }
    ExportOptions options;
    if (!parseOptions(args, options, err)) {
        return kExitUsage;
    }
    int status = kExitOk;
    std::vector<csv::ExportRecord> records;
    platform::runInOrder(
        options.files.size(), options.jobs,
        [&](std::size_t i) {
            FileRecord read;
            read.code = readRecord(options.files[i], read.record, options.withCustom);
            return read;
        },
        [&](std::size_t, FileRecord read) {
            if (read.code != props::kSuccess) {
                err << "quorvel-cli export: " << read.record.path << ": " << outcomeText(read.code)
                    << '\n';
                status = kExitFailed;
            } else {
                records.push_back(std::move(read.record));
            }
            return true;
        });
    if (records.empty()) {
        err << "quorvel-cli export: no file could be read; " << options.output
            << " was not written\n";
        return kExitFailed;
    }
    if (csv::isExportedFile(options.output, records)) {
        err << "quorvel-cli export: " << options.output
            << " is one of the files to export; it was not overwritten\n";
        return kExitFailed;
    }
    std::string error;
    if (!csv::writeCsvFile(options.output, records, error,
                           options.encoding.value_or(csv::CsvEncoding::Cp932),
                           options.withCustom)) {
        err << "quorvel-cli export: " << options.output << ": " << error << '\n';
        return kExitFailed;
    }
    return status;
}

}  // namespace quorvel::cli

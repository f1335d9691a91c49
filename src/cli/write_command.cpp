// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "cli/apply_rows.h"
#include "cli/cli_text.h"
#include "cli/command.h"
#include "cli/file_times.h"
#include "cli/jobs_option.h"
#include "document/document_access.h"
#include "export/csv_apply.h"
#include "journal/files_before.h"
#include "platform/file_status.h"
#include "platform/local_time.h"
#include "platform/overlapped_writes.h"

namespace quorvel::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: quorvel-cli write [options] [-j N] FILE...\n"
    "  --title, --subject, --author, --keywords, --comments, --template, --last-author,\n"
    "  --revision, --app-name, --category, --company TEXT   write that text field\n"
    "  --edit-time, --last-printed, --created, --last-saved \"YYYY-MM-DD HH:MM:SS\"\n"
    "                       replace that date (local time) where the document has one\n"
    "  --custom NAME=VALUE  set a user-defined property (added when missing); its type is\n"
    "                       taken from the value (int, real, date YYYY-MM-DD[THH:MM:SS][Z]\n"
    "                       in UTC, true/false, else text) unless --custom-type names it\n"
    "  --custom-type NAME=text|int|real|date|bool\n"
    "  --remove-custom NAME remove a user-defined property\n"
    "  --no-doc-summary     leave DocumentSummaryInformation (category, company) alone\n"
    "  --create-missing     create a missing property set\n"
    "  --keep-times         put back the file's access and modification times (and its\n"
    "                       creation time where the file system can store it)\n"
    "  -j N                 how many files are written at once (1: one after the other);\n"
    "                       the results are shown in the order of the command line\n";

// Options that take a value, in the order of the request's text fields and dates.
constexpr std::array<std::string_view, props::kTextFieldCount> kTextOptions = {
    "--title",       "--subject",  "--author",   "--keywords", "--comments", "--template",
    "--last-author", "--revision", "--app-name", "--category", "--company"};
constexpr std::array<std::string_view, props::kDateCount> kDateOptions = {
    "--edit-time", "--last-printed", "--created", "--last-saved"};

template <std::size_t N>
std::optional<std::size_t> indexOf(const std::array<std::string_view, N>& names,
                                   std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == name) {
            return i;
        }
    }
    return std::nullopt;
}

// The user-defined properties a command line sets and removes, in its order, and the types
// it names.
struct CustomOptions {
    std::vector<props::CustomEdit> edits;  // values as given until typed
    std::vector<std::pair<std::string, props::CustomType>> types;
};

constexpr std::array<std::string_view, 3> kCustomOptions = {"--custom", "--custom-type",
                                                            "--remove-custom"};

// Takes one user-defined option's value; an error message when it is malformed.
std::string addCustomOption(std::string_view option, const std::string& value,
                            CustomOptions& custom) {
    const std::size_t equals = value.find('=');
    const std::string name = value.substr(0, equals);
    if (name.empty() || (option != "--remove-custom" && equals == std::string::npos)) {
        return std::string(option) + " needs NAME" + (option == "--remove-custom" ? "" : "=VALUE");
    }
    if (option == "--remove-custom") {
        custom.edits.push_back({value, props::CustomType::Text, {}, true});
        return {};
    }
    const std::string given = value.substr(equals + 1);
    if (option == "--custom") {
        custom.edits.push_back({name, props::CustomType::Text, given, false});
        return {};
    }
    const std::optional<props::CustomType> type = props::customTypeFromName(given);
    if (!type || *type == props::CustomType::Other) {
        return "--custom-type " + name + ": the type is one of text, int, real, date, bool";
    }
    custom.types.emplace_back(name, *type);
    return {};
}

// Gives each value its type (named, or taken from the value) and its canonical text.
std::string typeCustomEdits(CustomOptions& custom) {
    for (props::CustomEdit& edit : custom.edits) {
        if (edit.remove) {
            continue;
        }
        const auto named =
            std::find_if(custom.types.begin(), custom.types.end(),
                         [&](const auto& t) { return props::sameCustomName(t.first, edit.name); });
        edit.type =
            named != custom.types.end() ? named->second : props::inferCustomType(edit.value);
        const std::optional<std::string> canonical =
            props::canonicalCustomValue(edit.type, edit.value);
        if (!canonical) {
            std::string message = "--custom " + edit.name + ": \"" + edit.value + "\" is no ";
            message += props::customTypeName(edit.type);
            return message + " value";
        }
        edit.value = *canonical;
    }
    return {};
}

struct WriteCommand {
    props::PropertyWriteRequest request;
    bool leaveDocSummary = false;
    bool createMissing = false;
    bool keepTimes = false;
    unsigned jobs = platform::defaultWriteThreads();
    std::vector<std::string> files;
};

// The switch an option without a value turns on; null for any other name.
bool* flagOf(std::string_view name, WriteCommand& command) {
    if (name == "--no-doc-summary") {
        return &command.leaveDocSummary;
    }
    if (name == "--create-missing") {
        return &command.createMissing;
    }
    return name == "--keep-times" ? &command.keepTimes : nullptr;
}

// Fills command from the arguments; an error message when they are wrong.
std::string parseArguments(const Arguments& args, WriteCommand& command) {
    std::array<std::uint64_t, props::kDateCount> dates{};
    CustomOptions custom;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            command.files.insert(command.files.end(),
                                 args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (arg == kJobsOption) {
            if (++i == args.size() || !parseJobs(args[i], command.jobs)) {
                return "-j needs a number from 1 to 1024";
            }
            continue;
        }
        if (!arg.starts_with("--")) {
            command.files.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (bool* flag = flagOf(name, command)) {
            if (equals != std::string::npos) {
                return name + " takes no value";
            }
            *flag = true;
            continue;
        }
        const auto field = indexOf(kTextOptions, name);
        const auto date = indexOf(kDateOptions, name);
        const auto customOption = indexOf(kCustomOptions, name);
        if (!field && !date && !customOption) {
            return "unknown option " + arg;
        }
        if (equals == std::string::npos && i + 1 == args.size()) {
            return name + " needs a value";
        }
        const std::string value = equals != std::string::npos ? arg.substr(equals + 1) : args[++i];
        if (customOption) {
            const std::string error = addCustomOption(name, value, custom);
            if (!error.empty()) {
                return error;
            }
            continue;
        }
        if (field) {
            command.request.fields[*field] = {value, 1};
            continue;
        }
        const std::optional<std::int64_t> seconds = csv::parseDateTimeText(value);
        if (!seconds) {
            return name + ": \"" + value + "\" is not a date of the form \"YYYY-MM-DD HH:MM:SS\"";
        }
        dates[*date] = platform::unixSecondsToFileTime(*seconds);
    }
    if (const std::string error = typeCustomEdits(custom); !error.empty()) {
        return error;
    }
    command.request.customEdits = std::move(custom.edits);
    command.request.writeDocSummary = !command.leaveDocSummary;
    if (std::any_of(dates.begin(), dates.end(), [](std::uint64_t d) { return d != 0; })) {
        command.request.dates = dates;
    }
    return command.files.empty() ? "no file given" : "";
}

// What became of one file: the lines to show, whether everything was done, and its
// modification time after the write.
struct WriteOutcome {
    std::string text;
    bool done = false;
    std::optional<std::int64_t> modified;
};

// Writes one file, keeping its times when asked.
WriteOutcome writeOneDocument(const journal::FileBefore& file, const WriteCommand& command) {
    const std::string& path = file.record.path;
    platform::FileStatus before;
    before.times = file.record.times;  // taken before the file was read
    const bool keepTimes = command.keepTimes && file.timesRead;
    const props::MessageCode code = document::WriteDocProperties(path, command.request);
    WriteOutcome outcome{path + ": " + outcomeText(code) + '\n', code == props::kSuccess, {}};
    // A document that could not be opened was not touched; it may be another program's.
    platform::SystemError error;
    bool creationKept = false;
    if (keepTimes && code != props::kCannotOpenDocument &&
        !setFileTimes(path, before.times, creationKept, error)) {
        outcome.text += path + ": time stamps not put back: " + error.text + '\n';
        outcome.done = false;
    }
    platform::FileStatus after;
    if (outcome.done && platform::queryFileStatus(path, after)) {
        outcome.modified = after.times.modified;
    }
    return outcome;
}

}  // namespace

int runWrite(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitOk;
    }
    WriteCommand command;
    const std::string problem = parseArguments(args, command);
    if (!problem.empty()) {
        err << "quorvel-cli write: " << problem << '\n' << kUsage;
        return kExitUsage;
    }
    document::ForceGenerationProperty = command.createMissing;
    std::vector<std::size_t> entryOf;
    std::unique_ptr<journal::RunJournal> journal;
    const std::vector<journal::FileBefore> files = journal::readFilesBefore(command.files, true);
    if (!startRunJournal(
            journal::RunKind::CommandWrite,
            journal::requestEntries(
                files, [&command](std::size_t) { return command.request; }, {}, entryOf),
            journal, err)) {
        return kExitFailed;
    }
    int status = kExitOk;
    platform::OverlappedWrites<WriteOutcome> writes(
        command.jobs, [&](std::size_t i, const WriteOutcome& outcome) {
            if (journal && entryOf[i] != SIZE_MAX && outcome.modified) {
                journal->recordResult(entryOf[i], *outcome.modified);
            }
            out << outcome.text;
            status = outcome.done ? status : kExitFailed;
            return true;
        });
    for (std::size_t i = 0; i < command.files.size(); ++i) {
        if (!markBeforeWrite(journal.get(), entryOf[i], command.files[i], err)) {
            writes.finish();
            return kExitFailed;
        }
        writes.dispatch(i, [&command, &files, i] { return writeOneDocument(files[i], command); });
    }
    writes.finish();
    return status;
}

}  // namespace quorvel::cli

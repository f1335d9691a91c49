// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/run_journal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "journal/journal_files.h"
#include "platform/local_time.h"
#include "platform/utf8_path.h"
#include "platform/whole_file.h"

namespace quorvel::journal {
namespace {

namespace fs = std::filesystem;
using Kind = csv::ApplyColumn::Kind;

constexpr std::size_t kKeptRuns = 50;
constexpr std::int64_t kKeptSeconds = std::int64_t{30} * 24 * 3600;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool isFileTime(const csv::ApplyColumn& column) {
    return column.kind == Kind::FileCreated || column.kind == Kind::FileAccessed ||
           column.kind == Kind::FileModified;
}

// ファイル名, the columns some entry changes, in the export's order, and always the three times,
// which every write moves.
std::vector<csv::ApplyColumn> journalColumns(const std::vector<JournalEntry>& entries) {
    std::set<std::string> changed;
    for (const JournalEntry& entry : entries) {
        for (const csv::FieldChange& change : entry.changes) {
            changed.insert(change.column);
        }
    }
    std::vector<csv::ApplyColumn> columns;
    for (const csv::ApplyColumn& column : csv::exportColumns()) {
        if (column.kind == Kind::FileName || isFileTime(column) || changed.count(column.name)) {
            columns.push_back(column);
        }
    }
    return columns;
}

// The value an entry has after the run. The times are left empty: the access time moves with
// any reader, many file systems keep no creation time, and the modification time a write
// leaves is known only once it is done (written.txt has it). An undo compares no empty cell.
std::string valueAfter(const csv::ApplyColumn& column, const JournalEntry& entry) {
    const auto change =
        std::find_if(entry.changes.begin(), entry.changes.end(),
                     [&](const csv::FieldChange& c) { return c.column == column.name; });
    if (isFileTime(column)) {
        return {};
    }
    if (change != entry.changes.end()) {
        return change->wanted;
    }
    return csv::exportedValue(column, entry.before.properties, entry.before.times);
}

// An undo may run from another folder.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(platform::pathFromUtf8(path), error);
    return error ? path : platform::utf8FromPath(absolute);
}

// The entries' values before or after the run, as a CSV the apply command reads.
std::string journalCsv(const std::vector<csv::ApplyColumn>& columns,
                       const std::vector<JournalEntry>& entries, bool after) {
    std::string csv(kUtf8ByteOrderMark);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        csv += i == 0 ? "" : ",";
        csv += columns[i].name;
    }
    csv += '\n';
    for (const JournalEntry& entry : entries) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const csv::ApplyColumn& column = columns[i];
            csv += i == 0 ? "" : ",";
            csv::appendCsvField(csv, column.kind == Kind::FileName ? absolutePath(entry.before.path)
                                     : after                       ? valueAfter(column, entry)
                                             : csv::exportedValue(column, entry.before.properties,
                                                                  entry.before.times));
        }
        csv += '\n';
    }
    return csv;
}

bool isOlderThanAnHour(const fs::path& path) {
    std::error_code error;
    const auto written = fs::last_write_time(path, error);
    return !error && fs::file_time_type::clock::now() - written > std::chrono::hours(1);
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Removes the runs past the newest kKeptRuns that are older than kKeptSeconds, and what a
// run that never finished recording left (an hour on, so as not to race one being recorded).
void pruneRuns(const fs::path& root, std::int64_t now) {
    std::vector<fs::path> runs;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        const std::string name = platform::utf8FromPath(entry.path().filename());
        if (isPartialRunName(name) && isOlderThanAnHour(entry.path())) {
            fs::remove_all(entry.path(), error);
        } else if (runStartOf(name)) {
            runs.push_back(entry.path());
        }
    }
    std::sort(runs.begin(), runs.end(), std::greater<>());
    for (std::size_t i = kKeptRuns; i < runs.size(); ++i) {
        if (now - *runStartOf(platform::utf8FromPath(runs[i].filename())) > kKeptSeconds) {
            fs::remove_all(runs[i], error);
        }
    }
}

bool writeRunFiles(const fs::path& folder, RunKind kind, const std::vector<JournalEntry>& entries,
                   std::string& error) {
    const std::vector<csv::ApplyColumn> columns = journalColumns(entries);
    const std::pair<const char*, std::string> files[] = {
        {kBeforeFile, journalCsv(columns, entries, false)},
        {kAfterFile, journalCsv(columns, entries, true)},
        {kRunFile, runFileText(kind, entries.size())},
        {kMarksFile, ""}};
    platform::SystemError failure;
    for (const auto& [name, bytes] : files) {
        if (!platform::writeNewFileDurably(platform::utf8FromPath(folder / name), bytes, failure)) {
            error = failure.text;
            return false;
        }
    }
    if (!platform::syncFolder(platform::utf8FromPath(folder), failure)) {
        error = failure.text;
        return false;
    }
    return true;
}

// Creates the partial folder of a new run under root, named by the time now (a later name when
// that one is taken, also by another process); the run's final folder, or empty on failure.
fs::path newRunFolder(const fs::path& root, std::string& error) {
    const std::int64_t millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::system_clock::now().time_since_epoch())
                                    .count();
    for (std::int64_t at = millis; at < millis + 1000; ++at) {
        const fs::path folder = root / platform::pathFromUtf8(runFolderName(at));
        std::error_code failure;
        if (!fs::exists(folder, failure) &&
            fs::create_directory(root / partialRunName(folder), failure)) {
            return folder;
        }
        if (failure) {
            error = failure.message();
            return {};
        }
    }
    error = "no free name for the run's folder";
    return {};
}

std::optional<std::string> requestedTime(std::int64_t seconds) {
    return seconds != 0 ? csv::formatLocalTime(seconds) : std::nullopt;
}

// What the request or the times give the column; nullopt where they leave it alone.
std::optional<std::string> requestedValue(const csv::ApplyColumn& column,
                                          const props::PropertyWriteRequest& request,
                                          const platform::FileTimes& times) {
    switch (column.kind) {
        case Kind::FileCreated:
            return requestedTime(times.created);
        case Kind::FileAccessed:
            return requestedTime(times.accessed);
        case Kind::FileModified:
            return requestedTime(times.modified);
        case Kind::Property:
            break;
        default:
            return std::nullopt;
    }
    for (std::size_t field = 0; field < props::kTextFieldCount; ++field) {
        if (request.fields[field].change != 0 &&
            props::catalogueRowOfTextField(field) == column.row) {
            return request.fields[field].text;
        }
    }
    if (csv::isDateRow(column.row) && request.dates) {
        const std::uint64_t date = (*request.dates)[column.row - props::kFirstDateIndex];
        return date != 0 ? csv::formatLocalTime(platform::fileTimeToUnixSeconds(date))
                         : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::vector<csv::FieldChange> requestedChanges(const props::PropertyWriteRequest& request,
                                               const platform::FileTimes& times) {
    std::vector<csv::FieldChange> changes;
    for (const csv::ApplyColumn& column : csv::exportColumns()) {
        const std::optional<std::string> wanted = requestedValue(column, request, times);
        if (wanted) {
            changes.push_back({column.name, {}, *wanted, {}});
        }
    }
    return changes;
}

std::vector<JournalEntry> sheetEntries(const std::vector<std::string>& paths,
                                       const std::vector<csv::RowPreview>& previews,
                                       std::vector<std::size_t>& entryOf) {
    std::vector<JournalEntry> entries;
    entryOf.assign(previews.size(), SIZE_MAX);
    for (std::size_t i = 0; i < previews.size() && i < paths.size(); ++i) {
        const csv::RowPreview& preview = previews[i];
        if (preview.code == props::kSuccess && preview.changes.any()) {
            entryOf[i] = entries.size();
            entries.push_back(
                {{paths[i], preview.properties, preview.before, {}}, preview.changes.changes});
        }
    }
    return entries;
}

std::string journalRoot() {
    if (const char* chosen = std::getenv("QUORVEL_JOURNAL_DIR"); chosen && *chosen) {
        return chosen;
    }
    const std::string state = platform::stateFolder();
    return state.empty() ? state
                         : platform::utf8FromPath(platform::pathFromUtf8(state) / "journal");
}

std::unique_ptr<RunJournal> RunJournal::begin(RunKind kind,
                                              const std::vector<JournalEntry>& entries,
                                              std::string& error) {
    error.clear();
    if (std::all_of(entries.begin(), entries.end(),
                    [](const JournalEntry& entry) { return entry.changes.empty(); })) {
        return nullptr;
    }
    const std::string rootText = journalRoot();
    if (rootText.empty()) {
        error = "no folder for the journal is known (HOME is not set)";
        return nullptr;
    }
    const fs::path root = platform::pathFromUtf8(rootText);
    std::error_code failure;
    fs::create_directories(root, failure);
    const fs::path folder = newRunFolder(root, error);
    if (folder.empty()) {
        return nullptr;
    }
    const fs::path partial = root / partialRunName(folder);
    platform::SystemError synced;
    if (!writeRunFiles(partial, kind, entries, error) ||
        (fs::rename(partial, folder, failure), failure) ||
        !platform::syncFolder(rootText, synced)) {
        error = !error.empty() ? error : failure ? failure.message() : synced.text;
        fs::remove_all(partial, failure);
        return nullptr;
    }
    pruneRuns(root, secondsNow());
    return std::unique_ptr<RunJournal>(
        new RunJournal(platform::utf8FromPath(folder), entries.size()));
}

bool RunJournal::markWritten(const std::vector<std::size_t>& entries) {
    std::string lines;
    for (const std::size_t entry : entries) {
        lines += markLine(entry);
    }
    const std::lock_guard lock(m_mutex);
    return appendMarks(std::move(lines));
}

bool RunJournal::markThrough(std::size_t entry) {
    if (entry < m_markedUpTo) {
        return true;
    }
    std::vector<std::size_t> group;
    for (std::size_t next = entry; next < std::min(entry + kMarkGroup, m_entries); ++next) {
        group.push_back(next);
    }
    m_markedUpTo = entry + group.size();
    return markWritten(group);
}

void RunJournal::recordResult(std::size_t entry, std::int64_t modified) {
    const std::lock_guard lock(m_mutex);
    m_pendingResults += resultLine(entry, modified);
}

RunJournal::~RunJournal() {
    const std::lock_guard lock(m_mutex);
    if (!m_pendingResults.empty()) {
        appendMarks({});
    }
}

// Under the lock: the results noted so far, then lines, made durable.
bool RunJournal::appendMarks(std::string lines) {
    lines.insert(0, m_pendingResults);
    m_pendingResults.clear();
    platform::SystemError error;
    return platform::appendDurably(
        platform::utf8FromPath(platform::pathFromUtf8(m_folder) / kMarksFile), lines, error);
}

}  // namespace quorvel::journal

// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/undo_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "journal/journal_files.h"
#include "platform/folder_times.h"
#include "platform/utf8_path.h"

namespace quorvel::journal {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kChangedSince = "この実行の後に変更されています。";

bool readText(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

bool readSheet(const fs::path& path, csv::ApplySheet& sheet, std::string& error) {
    std::string bytes;
    csv::CsvError failure;
    if (!readText(path, bytes) ||
        !csv::readApplySheet(bytes, csv::CsvInputEncoding::Utf8, sheet, failure)) {
        error = platform::utf8FromPath(path.filename()) + ": " + failure.message;
        return false;
    }
    return true;
}

// Whether the file still holds what the run wrote: the columns it changed, and the
// modification time it had once written, where that was recorded.
bool holdsRunResult(const RecordedRun& run, std::size_t row, const csv::RowPreview& now) {
    const csv::FileChanges sinceRun = csv::changesFor(
        run.after, run.after.rows[row], now.properties, now.before, now.custom, now.kind);
    const platform::FileTimes& times = now.before;
    const std::optional<std::int64_t>& modified = run.modifiedAfter[row];
    return sinceRun.changes.empty() && (!modified || *modified == times.modified);
}

}  // namespace

std::vector<RunSummary> listRuns() {
    std::vector<RunSummary> runs;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(platform::pathFromUtf8(journalRoot()), error)) {
        const std::optional<std::int64_t> started =
            runStartOf(platform::utf8FromPath(entry.path().filename()));
        std::string runText;
        std::string marks;
        RunSummary run{platform::utf8FromPath(entry.path()), started.value_or(0)};
        if (!started || !readText(entry.path() / kRunFile, runText) ||
            !parseRunFile(runText, run.kind) || !readText(entry.path() / kMarksFile, marks)) {
            continue;
        }
        run.written = static_cast<std::size_t>(std::count(marks.begin(), marks.end(), 'W'));
        runs.push_back(std::move(run));
    }
    std::sort(runs.begin(), runs.end(),
              [](const RunSummary& a, const RunSummary& b) { return a.folder > b.folder; });
    return runs;
}

bool loadRun(const std::string& folder, RecordedRun& run, std::string& error) {
    const fs::path root = platform::pathFromUtf8(folder);
    std::string runText;
    std::string marks;
    if (!readText(root / kRunFile, runText) || !parseRunFile(runText, run.kind) ||
        !readText(root / kMarksFile, marks)) {
        error = "the run's record is incomplete";
        return false;
    }
    if (!readSheet(root / kBeforeFile, run.before, error) ||
        !readSheet(root / kAfterFile, run.after, error)) {
        return false;
    }
    if (run.after.rows.size() != run.before.rows.size()) {
        error = "the run's two value files differ in length";
        return false;
    }
    Marks parsed = parseMarks(marks, run.before.rows.size());
    run.written = std::move(parsed.written);
    run.modifiedAfter = std::move(parsed.modified);
    return true;
}

std::vector<std::size_t> rowsToRestore(const RecordedRun& run) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < run.written.size(); ++row) {
        if (run.written[row]) {
            rows.push_back(row);
        }
    }
    return rows;
}

csv::RowPreview previewRestore(const RecordedRun& run, std::size_t row, bool force) {
    csv::RowPreview preview;
    const std::string& path = run.before.rows[row].path;
    preview.code = namesFolders(run.kind)
                       ? readFolderForApply(path, preview.before)
                       : csv::readFileForApply(path, preview.properties, preview.before,
                                               &preview.custom, &preview.kind);
    if (preview.code != props::kSuccess) {
        return preview;
    }
    preview.changes = csv::changesFor(run.before, run.before.rows[row], preview.properties,
                                      preview.before, preview.custom, preview.kind);
    if (force || holdsRunResult(run, row, preview)) {
        return preview;
    }
    if (!preview.changes.writesDocument && !namesFolders(run.kind) &&
        preview.changes.ignored.empty()) {
        // The old values are there: the run was stopped before it wrote this file.
        preview.changes = {};
        preview.changes.times = preview.before;
        return preview;
    }
    // Changed since: nothing is written, the restore it would have made is shown as ignored.
    csv::FileChanges kept;
    kept.times = preview.before;
    kept.ignored = std::move(preview.changes.changes);
    for (csv::FieldChange& change : kept.ignored) {
        change.reason = kChangedSince;
    }
    preview.changes = std::move(kept);
    return preview;
}

props::MessageCode readFolderForApply(const std::string& path, platform::FileTimes& times) {
    platform::FolderHandle folder;
    platform::SystemError error;
    platform::FolderTimes read;
    platform::CreationTimeSource source = platform::CreationTimeSource::Recorded;
    if (!folder.open(path, error) || !folder.readTimes(read, source, error)) {
        return props::kFileNotFound;
    }
    times = {read.creation, read.access, read.modification,
             source == platform::CreationTimeSource::Recorded};
    return props::kSuccess;
}

bool restoreFolderTimes(const std::string& path, const platform::FileTimes& times,
                        bool& creationKept, std::string& error) {
    platform::FolderHandle folder;
    platform::SystemError failure;
    platform::CreationTimeWrite creation = platform::CreationTimeWrite::Written;
    if (!folder.open(path, failure) ||
        !folder.writeTimes({times.created, times.accessed, times.modified}, creation, failure)) {
        error = failure.text;
        return false;
    }
    creationKept = creation == platform::CreationTimeWrite::NotStorable;
    return true;
}

}  // namespace quorvel::journal

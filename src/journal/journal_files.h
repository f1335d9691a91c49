// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "journal/run_journal.h"

// The files of one run's folder and the text in them, shared by the writer and the reader.
namespace quorvel::journal {

inline constexpr const char* kBeforeFile = "before.csv";  // the values before the run
inline constexpr const char* kAfterFile = "after.csv";    // the values the run writes
inline constexpr const char* kRunFile = "run.txt";        // its kind and number of files
inline constexpr const char* kMarksFile = "written.txt";  // files marked as they are written

// A run's folder name: its start in UTC to the millisecond ("20261208-075626-123"), so that
// names sort by time.
std::string runFolderName(std::int64_t unixMillis);
// The start, in seconds since 1970 UTC, of a run's folder name; nullopt for any other name.
std::optional<std::int64_t> runStartOf(std::string_view name);
// Where a run is recorded before it is complete, and the test for such a name.
std::filesystem::path partialRunName(const std::filesystem::path& folder);
bool isPartialRunName(std::string_view name);

std::string runFileText(RunKind kind, std::size_t files);
bool parseRunFile(std::string_view text, RunKind& kind);

// The lines of written.txt: "W n" before entry n is written, "T n seconds" once it is, with
// its modification time.
std::string markLine(std::size_t entry);
std::string resultLine(std::size_t entry, std::int64_t modified);
struct Marks {
    std::vector<bool> written;
    std::vector<std::optional<std::int64_t>> modified;
};
// Reads the lines for a run of `entries` entries; a torn or unknown line is passed over.
Marks parseMarks(std::string_view text, std::size_t entries);

}  // namespace quorvel::journal

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_status.h"
#include "props/property_record.h"

namespace quorvel::csv {

// One exported file: its path as listed, its properties as read and its file times.
struct ExportRecord {
    std::string path;
    props::DocProperties properties;
    platform::FileTimes times;
    props::CustomProperties custom;  // the user-defined properties, where they were read
};

// The first line of every export file (UTF-8, without its line feed).
extern const std::string_view kCsvHeader;

// "2006/03/05 14:07:05" in local time, or nothing when the moment has no local time.
std::optional<std::string> formatLocalTime(std::int64_t unixSeconds);

// Heads the column of a user-defined property: "custom:" and its name.
inline constexpr std::string_view kCustomColumnPrefix = "custom:";

// The names of the user-defined properties of the records, each once (names that differ
// only in case are one), in the order they are first met.
std::vector<std::string> customColumnNames(const std::vector<ExportRecord>& records);

// The catalogue rows of the four dates.
bool isDateRow(std::size_t row);

// A property's field as exported: a row past the end of the record (no
// DocumentSummaryInformation), an empty text and a date that is no time value are empty.
std::string propertyField(const props::DocProperties& properties, std::size_t row);

// Appends one field, enclosed in double quotes (its own doubled) when it holds a comma, a
// double quote or a line break (RFC 4180).
void appendCsvField(std::string& csv, std::string_view field);

// The character encoding of an export file. The window always writes code page 932, with '?'
// for any character it cannot hold; UTF-8 files start with a byte-order mark.
enum class CsvEncoding { Cp932, Utf8 };

// The encoding a command line names ("cp932", "utf-8"); nullopt for any other name.
std::optional<CsvEncoding> csvEncodingNamed(std::string_view name);

// The whole export file: the header and one line per record, numbered from 1, each ended by a
// line feed; 25 fields, a field holding a comma, a double quote or a line break enclosed in
// double quotes with its quotes doubled (RFC 4180), every other field as it is. withCustom
// appends a column per user-defined property name (customColumnNames), holding its value.
std::string formatCsv(const std::vector<ExportRecord>& records,
                      CsvEncoding encoding = CsvEncoding::Cp932, bool withCustom = false);

// True when path names one of the records' own files (also through another name): writing
// the CSV there would destroy that document.
bool isExportedFile(const std::string& path, const std::vector<ExportRecord>& records);

// Creates or empties the file at path and writes the records' CSV into it. False with the
// platform's text for the failure when it cannot be created or written; it is closed either way.
bool writeCsvFile(const std::string& path, const std::vector<ExportRecord>& records,
                  std::string& error, CsvEncoding encoding = CsvEncoding::Cp932,
                  bool withCustom = false);

}  // namespace quorvel::csv

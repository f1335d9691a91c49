// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/csv_reader.h"
#include "platform/file_status.h"
#include "props/document_facts.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::csv {

// A column of a CSV to apply: one of the export's 25, named as in its header, or a user-defined
// property's ("custom:" and its name).
struct ApplyColumn {
    enum class Kind { Number, FileName, Property, FileCreated, FileAccessed, FileModified, Custom };
    Kind kind = Kind::Number;
    std::size_t row = 0;  // the catalogue row of a Property column
    std::string name;

    // The user-defined property of a Custom column.
    std::string_view customName() const;
};

// The column of a user-defined property.
ApplyColumn customColumn(std::string_view propertyName);

// The export's 25 columns, in its order.
const std::vector<ApplyColumn>& exportColumns();

// The column's value for a file as the export writes it (empty for No and ファイル名).
std::string exportedValue(const ApplyColumn& column, const props::DocProperties& properties,
                          const platform::FileTimes& times,
                          const props::CustomProperties& custom = {});

// One file's record: its path and the values of the sheet's columns, in their order.
struct ApplyRow {
    std::size_t line = 0;
    std::string path;
    std::vector<std::string> values;
};

// A CSV to apply, checked whole.
struct ApplySheet {
    std::vector<ApplyColumn> columns;
    std::vector<ApplyRow> rows;
};

// Reads and checks a CSV to apply before any document is touched: the header must use the
// export's column names, each once, ファイル名 among them; every record must have as many fields;
// every date must read; no file may be named twice (also through a link). False with the line
// and a message naming the column of the first fault.
bool readApplySheet(std::string_view bytes, CsvInputEncoding encoding, ApplySheet& sheet,
                    CsvError& error);

// A date and time as the export writes it ("YYYY/MM/DD HH:MM:SS", local time), with dashes,
// or in ISO 8601 ("YYYY-MM-DDTHH:MM:SS", with Z or an offset for other than local time), as
// seconds since 1970-01-01 UTC; nullopt when it is none of these or no real moment.
std::optional<std::int64_t> parseDateTimeText(std::string_view text);

// One field of a file: its column name, the value it has and the value in the sheet.
struct FieldChange {
    std::string column;
    std::string current;
    std::string wanted;
    std::string reason;  // why an ignored change is not written
};

// What applying a row to a file changes.
struct FileChanges {
    props::PropertyWriteRequest request;  // the text fields, dates and user-defined that differ
    bool writesDocument = false;
    platform::FileTimes times;  // the file's times after the run
    bool setsTimes = false;     // a time column differs
    std::vector<FieldChange> changes;
    // Differ, but are not written (counts, missing dates, fields a PDF has no place for).
    std::vector<FieldChange> ignored;
    bool any() const { return writesDocument || setsTimes; }
};

// Compares a row with the file's properties and times as read (a document of kind). An empty
// cell of a user-defined property removes it; a value keeps the property's type where it is one
// of that type.
FileChanges changesFor(const ApplySheet& sheet, const ApplyRow& row,
                       const props::DocProperties& properties, const platform::FileTimes& times,
                       const props::CustomProperties& custom = {},
                       props::DocumentKind kind = props::DocumentKind::Unknown);

// A row beside its file as it is now: the file's times and what the row changes, or the
// message code that keeps the file from being read (a document without a summary reads as
// empty: a write may create the set).
struct RowPreview {
    props::MessageCode code = props::kSuccess;
    props::DocProperties properties;  // as read
    props::CustomProperties custom;
    props::DocumentKind kind = props::DocumentKind::Unknown;
    platform::FileTimes before;
    FileChanges changes;
};
RowPreview previewRow(const ApplySheet& sheet, const ApplyRow& row);
// Every row beside its file, in row order; the files are read on a pool of threads.
std::vector<RowPreview> previewSheet(const ApplySheet& sheet);
// preview(i) for i = 0 .. count - 1, in order, read on a pool of threads.
std::vector<RowPreview> previewRows(std::size_t count,
                                    const std::function<RowPreview(std::size_t)>& preview);

// Reads a file's properties and times for a comparison with a row: kSuccess also for a
// document without a summary, which reads as empty.
props::MessageCode readFileForApply(const std::string& path, props::DocProperties& properties,
                                    platform::FileTimes& times,
                                    props::CustomProperties* custom = nullptr,
                                    props::DocumentKind* kind = nullptr);

// The file's times once the row's changes are written: a new creation time is tried even where
// none is recorded (the file system says whether it keeps one).
platform::FileTimes timesToSet(const RowPreview& preview);

}  // namespace quorvel::csv

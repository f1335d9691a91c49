#pragma once

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
};

// The first line of every export file (UTF-8, without its line feed).
extern const std::string_view kCsvHeader;

// The whole export file: the header and one line per record, numbered from 1, each ended by a
// line feed; 25 fields written raw (never quoted), in code page 932 with '?' for any character
// it cannot hold.
std::string formatCsv(const std::vector<ExportRecord>& records);

// True when path names one of the records' own files (also through another name): writing
// the CSV there would destroy that document.
bool isExportedFile(const std::string& path, const std::vector<ExportRecord>& records);

// Creates or empties the file at path and writes the records' CSV into it. False with the
// platform's text for the failure when it cannot be created or written; it is closed either way.
bool writeCsvFile(const std::string& path, const std::vector<ExportRecord>& records,
                  std::string& error);

}  // namespace quorvel::csv

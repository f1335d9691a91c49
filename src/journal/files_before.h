// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "export/csv_format.h"
#include "journal/run_journal.h"
#include "props/document_facts.h"
#include "props/message_code.h"

namespace quorvel::journal {

// A file of a run as read before the first write: the outcome of reading its properties (when
// they were read) and, where its status could be read, what the journal records of it.
struct FileBefore {
    props::MessageCode code = props::kSuccess;
    csv::ExportRecord record;
    props::DocumentKind kind = props::DocumentKind::Unknown;  // when the properties were read
    bool timesRead = false;  // record.times are the file's, read before its contents
    bool recordable = false;
};

// Reads every file on a pool of threads, in list order: its status, then its properties when
// the run writes them. The times are taken first: where reading moves the access time (Windows),
// they are the ones to keep.
std::vector<FileBefore> readFilesBefore(const std::vector<std::string>& paths, bool readProperties);

// The write failures the reading shows for certain, asked about before any later file is
// written: a missing file, one that is no document. Success for every other file.
props::MessageCode foreseenFailure(const FileBefore& file);

// The journal's entries of a run that writes one request: each file that can be recorded, with what
// its write request (when the run writes properties; not the fields its kind has no place for,
// which the write leaves alone) and the times change. entryOf maps each file
// to its entry, SIZE_MAX for a file that is not recorded.
std::vector<JournalEntry> requestEntries(
    const std::vector<FileBefore>& files,
    const std::function<props::PropertyWriteRequest(std::size_t)>& request,
    const platform::FileTimes& times, std::vector<std::size_t>& entryOf);

}  // namespace quorvel::journal

// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/files_before.h"

#include "document/document_access.h"
#include "platform/ordered_parallel.h"

namespace quorvel::journal {
namespace {

// The part of a request a document of this kind can hold: a PDF has no place for some fields,
// writes the rest and reports them (code 163).
props::PropertyWriteRequest heldPart(props::PropertyWriteRequest request,
                                     props::DocumentKind kind) {
    for (std::size_t field = 0; field < props::kTextFieldCount; ++field) {
        if (!props::kindHoldsRow(kind, props::catalogueRowOfTextField(field))) {
            request.fields[field].change = 0;
        }
    }
    for (std::size_t k = 0; request.dates && k < props::kDateCount; ++k) {
        if (!props::kindHoldsRow(kind, props::kFirstDateIndex + k)) {
            (*request.dates)[k] = 0;
        }
    }
    return request;
}

}  // namespace

std::vector<FileBefore> readFilesBefore(const std::vector<std::string>& paths,
                                        bool readProperties) {
    std::vector<FileBefore> files;
    files.reserve(paths.size());
    platform::runInOrder(
        paths.size(), platform::defaultReadThreads(),
        [&](std::size_t i) {
            FileBefore file;
            file.record.path = paths[i];
            platform::FileStatus status;
            file.timesRead = platform::queryFileStatus(paths[i], status);
            file.record.times = status.times;
            if (readProperties) {
                props::DocumentFacts facts;
                file.code = document::ReadDocProperties(paths[i], file.record.properties,
                                                        &file.record.custom, &facts);
                file.kind = facts.kind;
            }
            // A file whose properties cannot be read is recorded only when they are not written:
            // its empty values must never be written back.
            const bool propertiesKnown =
                file.code == props::kSuccess || file.code == props::kNoSummary;
            file.recordable = propertiesKnown && file.timesRead;
            return file;
        },
        [&files](std::size_t, FileBefore file) {
            files.push_back(std::move(file));
            return true;
        });
    return files;
}

props::MessageCode foreseenFailure(const FileBefore& file) {
    const bool certain = file.code == props::kFileNotFound || file.code == props::kNotCompoundFile;
    return certain ? file.code : props::kSuccess;
}

std::vector<JournalEntry> requestEntries(
    const std::vector<FileBefore>& files,
    const std::function<props::PropertyWriteRequest(std::size_t)>& request,
    const platform::FileTimes& times, std::vector<std::size_t>& entryOf) {
    std::vector<JournalEntry> entries;
    entryOf.assign(files.size(), SIZE_MAX);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].recordable) {
            entryOf[i] = entries.size();
            const props::PropertyWriteRequest wanted =
                request ? heldPart(request(i), files[i].kind) : props::PropertyWriteRequest{};
            entries.push_back({files[i].record, requestedChanges(wanted, times)});
        }
    }
    return entries;
}

}  // namespace quorvel::journal

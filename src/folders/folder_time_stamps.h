// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "batch/date_increment.h"
#include "folders/folder_tree_ctrl.h"
#include "platform/folder_times.h"
#include "platform/system_error.h"
#include "prompts/prompts.h"

class QWidget;

// The outcome of one folder operation and of the error prompt. A caller stops on every
// value greater than Skip; Retry never leaves an operation.
enum class FolderOpResult { Done = 0, Skip = 1, Abort = 3, Retry = 4 };

// The three times of a folder as time values: whole seconds since 1970-01-01 UTC.
using quorvel::platform::FolderTimes;

// A folder time as the pickers take it: a time whose local year lies before 1900 becomes 0.
// False when the time has no local calendar time at all.
bool FolderTimeToTimeValue(std::int64_t folderTime, std::int64_t& timeValue);

// What a change run did: the folders whose times were written, and how many of them kept
// their creation time because their file system cannot store one.
struct FolderRunCounts {
    unsigned processed = 0;
    unsigned creationKept = 0;
};

// Reading and writing folder times, each folder with the Abort/Retry/Ignore prompt when
// it cannot be opened, read or changed.
class CFolderTimeStamps {
  public:
    CFolderTimeStamps(quorvel::ui::Prompts& prompts, QWidget* owner);

    // Reads the folder's times as time values. Done, or Skip/Abort as the user chose;
    // after a time that does not convert, Abort with the error shown.
    FolderOpResult ReadFolderTimes(const std::string& path, FolderTimes& times);
    // Writes the three times (whole seconds) to the folder: Done, Skip or Abort. After Done,
    // creation tells whether the file system took the creation time.
    FolderOpResult SetFolderTimes(const std::string& path, const FolderTimes& times,
                                  quorvel::platform::CreationTimeWrite& creation);
    // The error prompt: the system's text, then the suffix; Abort, Skip (Ignore) or Retry.
    FolderOpResult ReportSystemError(const quorvel::platform::SystemError& error,
                                     const QString& suffix);
    // Shows a time that cannot be converted as the invalid-argument error it is, naming
    // the folder it belongs to (none for a picker's time).
    void ReportInvalidTime(const std::string& path);

    // Writes the times to every folder of the set in path order, moving them on after each
    // folder (also after one the user skipped) by the date increments: creation by slot 0,
    // access by slot 2, modification by slot 3. Stops at Abort.
    FolderRunCounts ChangeFolders(const MarkedFolderSet& set, const FolderTimes& first,
                                  const quorvel::batch::DateIncrementSettings& increments);

  private:
    template <typename Operation>
    FolderOpResult withOpenFolder(const std::string& path, Operation operation);

    quorvel::ui::Prompts& m_prompts;
    QWidget* m_owner;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/file_times.h"

#include "platform/creation_time.h"

namespace quorvel::cli {

bool setFileTimes(const std::string& path, const platform::FileTimes& times, bool& creationKept,
                  platform::SystemError& error) {
    platform::CreationTimeWrite creation = platform::CreationTimeWrite::Written;
    if (times.createdRecorded && !platform::setCreationTime(path, times.created, creation, error)) {
        return false;
    }
    creationKept = times.createdRecorded && creation == platform::CreationTimeWrite::NotStorable;
    return platform::setAccessAndModifyTimes(path, times.accessed, times.modified, error);
}

}  // namespace quorvel::cli

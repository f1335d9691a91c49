// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/file_status.h"
#include "platform/system_error.h"

namespace quorvel::cli {

// Gives a file the times, the creation time first (on some file systems setting it touches
// the other two) where the file system stores one: creationKept says when it does not. False
// with the platform's error when a time cannot be set.
bool setFileTimes(const std::string& path, const platform::FileTimes& times, bool& creationKept,
                  platform::SystemError& error);

}  // namespace quorvel::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "platform/shell_open.h"

namespace quorvel::app {

// Opens a file or address with the desktop's default application, without waiting.
// Failures are the desktop's to report; nothing is shown here.
void openWithDefaultApplication(const QString& target);

// The MIME types of a file, most specific first: its type by name (by content only when the
// name tells nothing), then the types it is a kind of (text/csv, then text/plain).
std::vector<std::string> mimeTypeCandidates(const QString& path);

// Opens a file with the default application of the first of its types that has one.
platform::ShellOpenResult openWithAssociatedApplication(const QString& path);

// The user's manual for a program in programFolder: the installed copy (share/doc/quorvel/
// manual beside the program's bin folder); for a program of the build tree, the project's
// copy; where neither exists, "Quorvel.chm" in the program's folder.
QString helpFilePath(const QString& programFolder);

// Opens the manual of the running program with the application associated with its type.
void openHelpFile();

}  // namespace quorvel::app

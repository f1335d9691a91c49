#pragma once

#include <QString>

namespace quorvel::app {

// Opens a file or address with the desktop's default application, without waiting.
// Failures are the desktop's to report; nothing is shown here.
void openWithDefaultApplication(const QString& target);

// The user's manual for a program in programFolder: the installed copy (share/doc/quorvel/
// manual beside the program's bin folder); for a program of the build tree, the project's
// copy; where neither exists, "Quorvel.chm" in the program's folder.
QString helpFilePath(const QString& programFolder);

// Opens the manual of the running program with the application associated with its type.
void openHelpFile();

}  // namespace quorvel::app

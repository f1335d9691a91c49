#pragma once

#include <QString>

namespace quorvel::app {

// Opens a file or address with the desktop's default application, without waiting.
// Failures are the desktop's to report; nothing is shown here.
void openWithDefaultApplication(const QString& target);

// "Quorvel.chm" in the folder of the running program.
QString helpFilePath();

// Opens the help file with the application associated with its type.
void openHelpFile();

}  // namespace quorvel::app

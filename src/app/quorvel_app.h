// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The application object: names the settings store, sets up language and font, and runs
// the main dialog modally; the program ends when the dialog closes.
class CQuorvelApp {
  public:
    // Settings store, translation and font, for a QApplication that exists already.
    static void SetUpApplication();
    // The files and folders named on the command line (after the program's name), made
    // absolute against the working directory at start-up.
    static QStringList CommandLinePaths(const QStringList& arguments);
    // Opens the main dialog with the files named on the command line in its list, as if
    // dropped on it, and returns when the dialog closes.
    int Run();

  private:
    static void InstallTranslation();
    static void SetUpFont();
};

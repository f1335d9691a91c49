#pragma once

// The application object: names the settings store, sets up language and font, and runs
// the main dialog modally; the program ends when the dialog closes.
class CQuorvelApp {
  public:
    // Settings store, translation and font, for a QApplication that exists already.
    static void SetUpApplication();
    int Run();

  private:
    static void InstallTranslation();
    static void SetUpFont();
};

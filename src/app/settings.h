// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace quorvel::app {

// The five stored settings of section "Quorvel_Section" in the per-user store of
// organization "Quorvel_Reg", application = the executable's base name. A value that is
// missing or unreadable yields its default; write failures are not reported.
class Settings {
  public:
    static constexpr char kOrganization[] = "Quorvel_Reg";
    static constexpr char kSection[] = "Quorvel_Section";
    static constexpr char kFileKindKey[] = "FileKind";
    static constexpr char kSubDirKey[] = "SubDirCheckSetCheck";
    static constexpr char kForceGenerationKey[] = "ForceGenerationProperty";
    static constexpr char kDialogFileKindKey[] = "dialogFileKind";
    static constexpr char kFindExecutableKey[] = "FindExecutableSetCheck";

    // Drop-folder file kinds; never written by the program. Default empty.
    static QString fileKind();
    // Search dropped folders with their subfolders. Default true.
    static bool subDirCheck();
    static void setSubDirCheck(bool checked);
    // Create a missing property set when writing. Default false.
    static bool forceGeneration();
    static void setForceGeneration(bool on);
    // The remembered file-dialog filter entry ("WORD File(*.doc)|*.doc"). Default empty.
    static QString dialogFileKind();
    static void setDialogFileKind(const QString& entry);
    // Open the exported file with its application. Default true.
    static bool findExecutableCheck();
    static void setFindExecutableCheck(bool checked);

  private:
    static QString readString(const char* key);
    static void writeString(const char* key, const QString& value);
    static bool readFlag(const char* key, bool fallback);
    static void writeFlag(const char* key, bool value);
};

}  // namespace quorvel::app

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::platform {

// The keys of a desktop entry that starting its application needs (the freedesktop.org
// desktop entry format), with the general escapes (\s \n \t \r \\) resolved.
struct DesktopEntry {
    std::string exec;
    std::string name;
    std::string icon;
    std::string location;  // the .desktop file's own path, for the %k field code
};

// The .desktop file of a desktop file id ("libreoffice-calc.desktop") in the applications
// folders of $XDG_DATA_HOME and $XDG_DATA_DIRS, the first found; "-" in the id may stand for
// a subfolder. Nullopt when none exists.
std::optional<std::string> findDesktopFile(std::string_view desktopId);

// The [Desktop Entry] group of a .desktop file; nullopt when it cannot be read or has no Exec.
std::optional<DesktopEntry> readDesktopEntry(const std::string& file);

// The argument vector that opens one file: the Exec value split by its quoting rules, the
// field codes expanded (%f %F %u %U give the file; the file is appended when none occurs).
// Nullopt when the value is malformed (unbalanced quote, trailing escape) or empty.
std::optional<std::vector<std::string>> execArguments(const DesktopEntry& entry,
                                                      const std::string& file);

}  // namespace quorvel::platform

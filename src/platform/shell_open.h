// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quorvel::platform {

enum class ShellOpenStatus { Started, NoApplication, StartFailed };

struct ShellOpenResult {
    ShellOpenStatus status = ShellOpenStatus::NoApplication;
    // The program that was to open the file; empty when no application is associated.
    std::string application;
};

// Opens a file with the desktop's default application, passing the path as one argument: on
// Linux (xdg-mime query default) the default of the first of mimeTypes that has one (the
// caller's reading of the file's type, most specific first; without them nothing opens); on
// Windows the application associated with its extension. Returns once the application has
// started; never waits for it.
ShellOpenResult openWithAssociatedApplication(const std::string& path,
                                              const std::vector<std::string>& mimeTypes);

}  // namespace quorvel::platform

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

// Opens a file with the desktop's default application (xdg-mime query default), passing the
// path as one argument: the default of the first of mimeTypes that has one. The types are the
// caller's reading of the file (most specific first); without them nothing opens. Returns once
// the application has started; never waits for it.
ShellOpenResult openWithAssociatedApplication(const std::string& path,
                                              const std::vector<std::string>& mimeTypes);

}  // namespace quorvel::platform

#pragma once

#include <string>

namespace quorvel::platform {

enum class ShellOpenStatus { Started, NoApplication, StartFailed };

struct ShellOpenResult {
    ShellOpenStatus status = ShellOpenStatus::NoApplication;
    // The program that was to open the file; empty when no application is associated.
    std::string application;
};

// Opens a file with the desktop's default application for its type (xdg-mime), passing the
// path as one argument. Returns once the application has started; never waits for it.
ShellOpenResult openWithAssociatedApplication(const std::string& path);

}  // namespace quorvel::platform

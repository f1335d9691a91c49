// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace quorvel::platform {

// Creates or truncates the file at path (UTF-8) and writes bytes into it. False with the
// system's error when the file cannot be opened, written or closed.
bool writeWholeFile(const std::string& path, std::string_view bytes, SystemError& error);

// Creates the file (it must not exist), writes bytes and makes them durable before returning.
bool writeNewFileDurably(const std::string& path, std::string_view bytes, SystemError& error);

// Appends bytes to the file (creating it) and makes them durable before returning.
bool appendDurably(const std::string& path, std::string_view bytes, SystemError& error);

// Makes the folder's entries (a file created or renamed in it) durable. Windows has no such
// call: there a closed file's entry is already on its way to the disk.
bool syncFolder(const std::string& path, SystemError& error);

// The folder for the program's state that must outlive a run: $XDG_STATE_HOME/quorvel, or
// ~/.local/state/quorvel; on Windows %LOCALAPPDATA%\Quorvel. Empty when none is known.
std::string stateFolder();

}  // namespace quorvel::platform

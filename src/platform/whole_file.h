// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "platform/system_error.h"

namespace quorvel::platform {

// Creates or truncates the file at path (UTF-8) and writes bytes into it. False with the
// system's error when the file cannot be opened, written or closed.
bool writeWholeFile(const std::string& path, std::string_view bytes, SystemError& error);

}  // namespace quorvel::platform

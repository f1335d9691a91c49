// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "props/message_code.h"

namespace quorvel::cli {

// "0 OK", or the code and its message: the outcome line of one file.
std::string outcomeText(props::MessageCode code);

// A stored file time as local "YYYY/MM/DD HH:MM:SS"; empty when out of range.
std::string localTimeText(std::uint64_t fileTime);

// text as the contents of a JSON string: quotes, backslashes and control characters
// escaped, valid UTF-8 kept, invalid bytes replaced by U+FFFD.
std::string jsonEscaped(std::string_view text);
// The same, appended to out.
void appendJsonEscaped(std::string& out, std::string_view text);

}  // namespace quorvel::cli

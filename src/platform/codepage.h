// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::platform {

// Text conversion between UTF-8 and a Windows code page (932, 1252, 1200 = UTF-16LE,
// 65001 = UTF-8, or any other that iconv knows as CPnnnn).
// False when the code page is unknown or the text cannot be represented exactly.
bool decodeCodePage(std::uint32_t codePage, std::string_view bytes, std::string& utf8);
bool encodeCodePage(std::uint32_t codePage, std::string_view utf8, std::string& bytes);

// Lossy encoding: characters the code page cannot hold become '?'.
std::string encodeCodePageLossy(std::uint32_t codePage, std::string_view utf8);

}  // namespace quorvel::platform

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quorvel::test {

// The bytes of a file; empty when it cannot be read. A path of the program (UTF-8) goes
// through utf8Path() first.
inline std::string fileContents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace quorvel::test

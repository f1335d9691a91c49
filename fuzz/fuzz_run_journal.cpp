// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as the record files of a run: its kind, its marks (for as many entries
// as the first byte says) and its folder name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "journal/journal_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    quorvel::journal::RunKind kind{};
    quorvel::journal::parseRunFile(text, kind);
    const quorvel::journal::Marks marks = quorvel::journal::parseMarks(text, data[0]);
    if (marks.written.size() != data[0] || marks.modified.size() != data[0]) {
        __builtin_trap();
    }
    quorvel::journal::runStartOf(text);
    return 0;
}

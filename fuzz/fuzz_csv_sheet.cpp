// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a CSV to apply and compares each row with an empty document.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "export/csv_apply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quorvel::csv::ApplySheet sheet;
    quorvel::csv::CsvError error;
    if (quorvel::csv::readApplySheet(bytes, quorvel::csv::CsvInputEncoding::Auto, sheet, error)) {
        for (const quorvel::csv::ApplyRow& row : sheet.rows) {
            quorvel::csv::changesFor(sheet, row, {}, {});
        }
    }
    return 0;
}

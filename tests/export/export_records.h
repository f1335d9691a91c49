// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>

#include "export/csv_format.h"

// Records of exported files, with known texts, dates and times.
namespace quorvel::csv {
namespace {

constexpr std::uint64_t kTwoHoursOfEditing = 72'000'000'000;  // stored as a 1601 date
constexpr std::uint64_t kFileTime20060305140705Jst = 127860088250000000;
constexpr std::int64_t kUnix20060305140705Jst = 1141535225;
constexpr std::int64_t kUnix20231225085959Jst = 1703462399;
constexpr std::int64_t kUnix20240102120405Jst = 1704164645;

props::PropertyEntry dateEntry(std::uint64_t fileTime) {
    // The display text of a date plays no part in the export.
    return {"(display text)", true, fileTime};
}

// Both property sets read: row r holds "r<r>", the dates hold real times.
props::DocProperties fullProperties() {
    props::DocProperties properties(props::kCatalogueSize);
    for (std::size_t row = 0; row < properties.size(); ++row) {
        // Formatted: GCC 12 at -O3 warns falsely (-Wrestrict) on "r" + std::to_string(row).
        char text[24];
        std::snprintf(text, sizeof text, "r%zu", row);
        properties[row].text = text;
    }
    properties[8] = dateEntry(kTwoHoursOfEditing);
    properties[9] = {};  // never printed
    properties[10] = dateEntry(kFileTime20060305140705Jst);
    properties[11] = dateEntry(kFileTime20060305140705Jst + 10'000'000);
    return properties;
}

ExportRecord record(std::string path, props::DocProperties properties) {
    return {std::move(path),
            std::move(properties),
            {kUnix20060305140705Jst, kUnix20240102120405Jst, kUnix20231225085959Jst, true},
            {}};
}

}  // namespace
}  // namespace quorvel::csv

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "props/custom_property.h"

namespace quorvel::props {

enum class PropertySet : std::uint8_t { Summary, DocSummary };

struct CatalogueRow {
    PropertySet set;
    std::uint32_t propertyId;
    std::string_view name;
};

inline constexpr std::size_t kSummaryBlockSize = 18;     // SummaryInformation ids 2..19
inline constexpr std::size_t kDocSummaryBlockSize = 15;  // DocumentSummaryInformation ids 2..16
inline constexpr std::size_t kCatalogueSize = kSummaryBlockSize + kDocSummaryBlockSize;

// The 33 known properties; the row number is the catalogue index used everywhere.
extern const std::array<CatalogueRow, kCatalogueSize> PropertyCatalogue;

// The 20 shown/exported rows, in display order (text rows and the four dates).
inline constexpr std::array<std::size_t, 20> kDisplayOrder = {0, 1, 2,  3,  4,  5,  6,  7,  16, 18,
                                                              8, 9, 10, 11, 31, 12, 13, 14, 21, 22};
inline constexpr std::size_t kFirstDateIndex = 8;  // catalogue rows 8..11 are dates
inline constexpr std::size_t kDateCount = 4;

// One property as read.
struct PropertyEntry {
    std::string text;        // FormatPropertyValue of the value, UTF-8; empty when absent
    bool isTime = false;     // stored value is VT_FILETIME
    std::uint64_t time = 0;  // stored file time (100 ns since 1601 UTC) when isTime
};

// 0 entries: nothing read; 18: SummaryInformation only; 33: both sets.
using DocProperties = std::vector<PropertyEntry>;

struct TextFieldEdit {
    std::string text;         // UTF-8
    std::int32_t change = 0;  // 1: write this field
};

inline constexpr std::size_t kTextFieldCount = 11;
inline constexpr std::size_t kSummaryTextFieldCount = 9;

// Slot (property id minus 2) of each editable text field within its set.
inline constexpr std::array<std::uint32_t, kTextFieldCount> TextFieldSlots = {0, 1, 2,  3, 4, 5,
                                                                              6, 7, 16, 0, 13};

// The catalogue row an editable text field is stored in.
constexpr std::size_t catalogueRowOfTextField(std::size_t field) {
    return (field < kSummaryTextFieldCount ? 0 : kSummaryBlockSize) + TextFieldSlots[field];
}

struct PropertyWriteRequest {
    std::array<TextFieldEdit, kTextFieldCount> fields;
    std::uint8_t fieldCount = kTextFieldCount;
    std::uint8_t summaryFieldCount = kSummaryTextFieldCount;
    // Edit Time, Last printed, Created, Last Saved; a zero value leaves that date alone.
    std::optional<std::array<std::uint64_t, kDateCount>> dates;
    std::uint8_t dateCount = kDateCount;
    bool writeDocSummary = true;
    // User-defined properties to set or remove, in order; written with the second set
    // (its codes 109 to 111), whether or not writeDocSummary is on.
    std::vector<CustomEdit> customEdits;
};

}  // namespace quorvel::props

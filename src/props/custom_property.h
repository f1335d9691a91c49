// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "props/message_code.h"

namespace quorvel::props {

// The kinds of value a user-defined property can be given. Other: a type the program
// keeps without changing it (vectors, blobs, links, ...); such a property is read-only.
enum class CustomType : std::uint8_t { Text, Integer, Real, Date, Bool, Other };

// One user-defined property as read. The value is its canonical text:
//   Text: the text; Integer: decimal ("-12"); Real: shortest round-trip decimal ("2.5");
//   Date: UTC "YYYY-MM-DDTHH:MM:SSZ"; Bool: "true" / "false"; Other: a short description.
struct CustomProperty {
    std::string name;  // as stored
    CustomType type = CustomType::Text;
    std::string value;
    // Shown but never changed or removed: other types, linked properties, reserved names.
    bool readOnly = false;

    friend bool operator==(const CustomProperty&, const CustomProperty&) = default;
};

// The user-defined properties of a document; status is kSuccess, or the code of a
// damaged part (the fixed fields may still have been read).
struct CustomProperties {
    std::vector<CustomProperty> items;
    MessageCode status = kSuccess;
};

// One change: set name to value as type (adding it when absent), or remove it.
struct CustomEdit {
    std::string name;
    CustomType type = CustomType::Text;
    std::string value;  // canonical text, as in CustomProperty
    bool remove = false;

    friend bool operator==(const CustomEdit&, const CustomEdit&) = default;
};

// Names compare without regard to case, as office programs do (ASCII and full-width Latin).
bool sameCustomName(std::string_view a, std::string_view b);
// Entries office programs keep for themselves (_PID_LINKBASE, _PID_HLINKS, _PID_GUID).
bool isReservedCustomName(std::string_view name);

// "text", "int", "real", "date", "bool", "other"; and back (nullopt for other words).
std::string_view customTypeName(CustomType type);
std::optional<CustomType> customTypeFromName(std::string_view name);

// The canonical text of value read as type, or nullopt when it is not one: integers fit
// 32 bits, reals are finite, dates are "YYYY-MM-DD[THH:MM[:SS]][Z]" (taken as UTC), bools
// are true/false/1/0/yes/no.
std::optional<std::string> canonicalCustomValue(CustomType type, std::string_view value);
// The type a value given without one is taken as: an integer or real written canonically,
// a date, true/false; anything else is text (so "00123" stays text).
CustomType inferCustomType(std::string_view value);

// A real's canonical text: the shortest decimal that reads back as the same double.
std::string customRealText(double value);

// A date's canonical text and file time (100 ns since 1601-01-01 UTC), both ways.
std::string customDateText(std::uint64_t fileTime);
std::optional<std::uint64_t> customDateFileTime(std::string_view canonical);

// Finds a property by name (case-insensitively); nullptr when there is none.
const CustomProperty* findCustom(const std::vector<CustomProperty>& items, std::string_view name);

}  // namespace quorvel::props

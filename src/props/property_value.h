// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace quorvel::props {

// Variant types of property values (MS-OLEPS 2.15), in the format's own names.
inline constexpr std::uint16_t VT_EMPTY = 0;
inline constexpr std::uint16_t VT_NULL = 1;
inline constexpr std::uint16_t VT_I2 = 2;
inline constexpr std::uint16_t VT_I4 = 3;
inline constexpr std::uint16_t VT_R4 = 4;
inline constexpr std::uint16_t VT_R8 = 5;
inline constexpr std::uint16_t VT_BSTR = 8;
inline constexpr std::uint16_t VT_BOOL = 11;
inline constexpr std::uint16_t VT_UI4 = 19;
inline constexpr std::uint16_t VT_LPSTR = 30;
inline constexpr std::uint16_t VT_LPWSTR = 31;
inline constexpr std::uint16_t VT_FILETIME = 64;
inline constexpr std::uint16_t VT_BLOB = 65;
inline constexpr std::uint16_t VT_CF = 71;
inline constexpr std::uint16_t VT_VECTOR = 0x1000;
inline constexpr std::uint16_t VT_ARRAY = 0x2000;
inline constexpr std::uint16_t VT_BYREF = 0x4000;

// One property value as read from a set: its type tag and the decoded payload of the
// types that are shown as text. Other types carry only their tag.
struct PropertyValue {
    std::uint16_t type = VT_EMPTY;
    std::int32_t integer = 0;    // VT_I2, VT_I4, VT_BOOL
    double real = 0;             // VT_R4 (widened), VT_R8
    std::uint64_t fileTime = 0;  // VT_FILETIME: 100 ns units since 1601-01-01 UTC
    std::string text;            // VT_LPSTR, VT_BSTR: decoded from the set's code page to UTF-8
};

}  // namespace quorvel::props

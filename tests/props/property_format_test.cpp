// SPDX-License-Identifier: GPL-3.0-or-later
#include "props/property_format.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/time_zone_scope.h"

namespace quorvel::props {
namespace {

class PropertyFormat : public ::testing::Test {
  protected:
    void SetUp() override { test::useTimeZone("Asia/Tokyo"); }
};

PropertyValue typed(std::uint16_t type) {
    PropertyValue value;
    value.type = type;
    return value;
}

// File time of a moment given in seconds since 1970 (UTC).
std::uint64_t fileTimeOf(std::int64_t unixSeconds) {
    return static_cast<std::uint64_t>(unixSeconds + 11644473600) * 10000000;
}

TEST_F(PropertyFormat, FormatsEachTypeAsTheDialogShowsIt) {
    auto with = [](std::uint16_t type, auto fill) {
        PropertyValue value = typed(type);
        fill(value);
        return value;
    };
    struct Case {
        PropertyValue value;
        const char* text;
    };
    const Case cases[] = {
        {typed(VT_EMPTY), ""},
        {typed(VT_NULL), ""},
        {typed(VT_BLOB), ""},
        {typed(VT_CF), ""},
        {with(VT_I4, [](PropertyValue& v) { v.integer = 1234; }), "1234"},
        {with(VT_I2, [](PropertyValue& v) { v.integer = -12; }), "-12"},
        {typed(VT_I4), "0"},
        {with(VT_I4, [](PropertyValue& v) { v.integer = INT32_MIN; }), "-2147483648"},
        {with(VT_R4, [](PropertyValue& v) { v.real = 2.5; }), "2.50"},
        {with(VT_R8, [](PropertyValue& v) { v.real = 1.0 / 3; }), "0.33"},
        {with(VT_BSTR, [](PropertyValue& v) { v.text = "見出し"; }), "見出し (VT_BSTR)"},
        {with(VT_BOOL, [](PropertyValue& v) { v.integer = -1; }), "TRUE/YES"},
        {typed(VT_BOOL), "FALSE/NO"},
        {with(VT_LPSTR, [](PropertyValue& v) { v.text = "表題 100%s"; }), "表題 100%s"},
        {typed(VT_LPWSTR), "(Unhandled type: 0x0000001f)"},
        {typed(VT_UI4), "(Unhandled type: 0x00000013)"},
        {typed(VT_VECTOR | VT_LPSTR), "(Unhandled type: 0x0000101e)"},
        {typed(VT_VECTOR | 12), "(Unhandled type: 0x0000100c)"},
        {typed(VT_ARRAY | VT_I4), "Array"},
        {typed(VT_ARRAY | VT_BYREF | VT_I4), "Array"},
        {typed(VT_BYREF | VT_I4), ""},
    };
    for (const Case& c : cases) {
        std::string text = "previous";
        FormatPropertyValue(c.value, text);
        EXPECT_EQ(text, c.text) << c.value.type;
    }
}

TEST_F(PropertyFormat, ShowsTimesInLocalTimeOnATwelveHourDial) {
    struct Case {
        std::uint64_t fileTime;
        const char* text;
    };
    const Case cases[] = {
        {fileTimeOf(1049515629), "01:07.09 pm, Sat 04/05/2003"},  // 2003-04-05 13:07:09 JST
        {fileTimeOf(1049468400), "00:00.00 am, Sat 04/05/2003"},  // midnight
        {fileTimeOf(1049511600), "12:00.00 pm, Sat 04/05/2003"},  // noon
        {fileTimeOf(1049554799), "11:59.59 pm, Sat 04/05/2003"},
        {72000000000, "11:00.00 am, Mon 01/01/1601"},  // two hours of editing, as a date
    };
    for (const Case& c : cases) {
        PropertyValue value = typed(VT_FILETIME);
        value.fileTime = c.fileTime;
        std::string text;
        FormatPropertyValue(value, text);
        EXPECT_EQ(text, c.text) << c.fileTime;
    }
}

}  // namespace
}  // namespace quorvel::props

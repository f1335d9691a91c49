// SPDX-License-Identifier: GPL-3.0-or-later
#include "compound/custom_section.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "property_set_builder.h"

namespace quorvel::props {
void PrintTo(const CustomProperty& p, std::ostream* out) {
    *out << p.name << ":" << customTypeName(p.type) << "=" << p.value
         << (p.readOnly ? " (read-only)" : "");
}
}  // namespace quorvel::props

namespace quorvel::compound {
namespace {

using namespace testing;
using props::CustomEdit;
using props::CustomProperty;
using props::CustomType;

struct Name {
    std::uint32_t id;
    std::string utf8;
};

std::string encoded(std::uint16_t codePage, std::string_view utf8) {
    std::string bytes;
    EXPECT_TRUE(platform::encodeCodePage(codePage, utf8, bytes)) << utf8;
    return bytes;
}

// A dictionary value (no type word): names with their terminators, entries padded in 1200.
Bytes dictionary(const std::vector<Name>& names, std::uint16_t codePage) {
    const std::size_t unit = codePage == CP_WINUNICODE ? 2 : 1;
    Bytes out;
    put(out, names.size(), 4);
    for (const Name& name : names) {
        const Bytes chars = bytesOf(encoded(codePage, name.utf8));
        put(out, name.id, 4);
        put(out, chars.size() / unit + 1, 4);
        out.insert(out.end(), chars.begin(), chars.end());
        out.insert(out.end(), unit, std::byte{0});
        if (unit == 2) {
            out.resize((out.size() + 3) / 4 * 4);
        }
    }
    return out;
}

PropertySection parsedSection(const Bytes& bytes) {
    PropertySection section;
    EXPECT_EQ(PropertySection::parse(StoredBytes(bytes), section), SetParseStatus::Ok);
    return section;
}

std::vector<CustomProperty> readBack(const PropertySection& section) {
    std::vector<CustomProperty> items;
    EXPECT_TRUE(readCustomSection(section, items));
    return items;
}

TEST(CustomSection, ReadsNamesAndTypesInEachCodePage) {
    const std::uint64_t noon2024 = 133'541'136'000'000'000;  // 2024-03-05T12:00:00Z
    for (const std::uint16_t codePage : {std::uint16_t{1252}, std::uint16_t{932}, CP_WINUNICODE}) {
        const bool latin = codePage == 1252;
        const std::string dept = latin ? "Département" : "部署";
        const std::string text = latin ? "Ventes" : "総務部";
        const Bytes value = codePage == CP_WINUNICODE ? string(encoded(codePage, text), VT_LPSTR, 2)
                                                      : string(encoded(codePage, text));
        Bytes wide = scalar(VT_LPWSTR, 3, 4);  // three UTF-16 units, the terminator included
        put(wide, 0x00690057, 4);                // "Wi"
        put(wide, 0, 2);
        const Bytes bytes = section({
            {0, dictionary({{2, dept},
                            {3, "Count"},
                            {4, "Ratio"},
                            {5, "Due"},
                            {6, "Done"},
                            {7, "_PID_HLINKS"},
                            {8, "Linked"},
                            {9, "Wide"},
                            {10, "Nothing stored"}},
                           codePage)},
            {1, i2(static_cast<std::int16_t>(codePage))},
            {2, value},
            {3, i4(-12)},
            {4, scalar(VT_R8, std::bit_cast<std::uint64_t>(0.25), 8)},
            {5, fileTime(noon2024)},
            {6, scalar(VT_BOOL, 0xFFFF, 2)},
            {7, scalar(VT_BLOB, 0, 4)},
            {8, string("x")},
            {8 | 0x01000000, string("_Toc1")},
            {9, wide},
        });
        const std::vector<CustomProperty> expected = {
            {dept, CustomType::Text, text, false},
            {"Count", CustomType::Integer, "-12", false},
            {"Ratio", CustomType::Real, "0.25", false},
            {"Due", CustomType::Date, "2024-03-05T12:00:00Z", false},
            {"Done", CustomType::Bool, "true", false},
            {"_PID_HLINKS", CustomType::Other, "VT 0x0041", true},
            {"Linked", CustomType::Text, "x", true},
            {"Wide", CustomType::Text, "Wi", false},
        };
        EXPECT_EQ(readBack(parsedSection(bytes)), expected) << codePage;
    }
}

TEST(CustomSection, RefusesDamagedDictionaries) {
    Bytes pastItsEnd = dictionary({{2, "Name"}}, 1252);
    pastItsEnd[8] = std::byte{0x40};  // a name longer than the dictionary
    const Bytes cases[] = {
        dictionary({{2, "Dept"}, {3, "DEPT"}}, 1252),
        dictionary({{2, "部署"}, {3, "部署"}}, CP_WINUNICODE),
        dictionary({{2, "One"}, {2, "Two"}}, 1252),
        pastItsEnd,
        {std::byte{0xFF}, std::byte{0xFF}, std::byte{0xFF}, std::byte{0x7F}},
    };
    for (const Bytes& entries : cases) {
        const PropertySection s =
            parsedSection(section({{0, entries}, {1, i2(1252)}, {2, i4(1)}, {3, i4(2)}}));
        std::vector<CustomProperty> items;
        EXPECT_FALSE(readCustomSection(s, items));
        PropertySection copy = s;
        EXPECT_EQ(applyCustomEdits(copy, {{"New", CustomType::Text, "v"}}),
                  CustomEditOutcome::Damaged);
    }
}

TEST(CustomSection, AppliesEditsAndRefusesWhatItMayNotChange) {
    const Bytes start = section({
        {1, i2(1252)},
        {0, dictionary({{2, "Dept"}, {5, "_PID_GUID"}, {6, "Linked"}}, 1252)},
        {2, string("Sales")},
        {5, scalar(VT_BLOB, 0, 4)},
        {6, string("x")},
        {6 | 0x01000000, string("Bookmark")},
    });
    const CustomProperty dept{"Dept", CustomType::Text, "Sales", false};
    const CustomProperty guid{"_PID_GUID", CustomType::Other, "VT 0x0041", true};
    const CustomProperty linked{"Linked", CustomType::Text, "x", true};
    struct Case {
        const char* name;
        std::vector<CustomEdit> edits;
        CustomEditOutcome outcome;
        std::vector<CustomProperty> after;
    };
    const Case cases[] = {
        {"set in another case keeps the stored name",
         {{"DEPT", CustomType::Integer, "7"}},
         CustomEditOutcome::Applied,
         {{"Dept", CustomType::Integer, "7", false}, guid, linked}},
        {"every type added after the highest id",
         {{"Text", CustomType::Text, "t"},
          {"Int", CustomType::Integer, "-3"},
          {"Real", CustomType::Real, "1.5"},
          {"Date", CustomType::Date, "2001-02-03T04:05:06Z"},
          {"Yes", CustomType::Bool, "true"},
          {"No", CustomType::Bool, "false"}},
         CustomEditOutcome::Applied,
         {dept,
          guid,
          linked,
          {"Text", CustomType::Text, "t", false},
          {"Int", CustomType::Integer, "-3", false},
          {"Real", CustomType::Real, "1.5", false},
          {"Date", CustomType::Date, "2001-02-03T04:05:06Z", false},
          {"Yes", CustomType::Bool, "true", false},
          {"No", CustomType::Bool, "false", false}}},
        {"remove, and removing what is absent",
         {{"dept", {}, {}, true}, {"Absent", {}, {}, true}},
         CustomEditOutcome::Applied,
         {guid, linked}},
        {"set then remove in one run",
         {{"N", CustomType::Text, "v"}, {"n", {}, {}, true}},
         CustomEditOutcome::Applied,
         {dept, guid, linked}},
        {"reserved names",
         {{"_PID_LINKBASE", CustomType::Text, "v"}},
         CustomEditOutcome::Refused,
         {}},
        {"reserved entry removed", {{"_pid_guid", {}, {}, true}}, CustomEditOutcome::Refused, {}},
        {"linked property", {{"Linked", CustomType::Text, "y"}}, CustomEditOutcome::Refused, {}},
        {"text outside the code page",
         {{"Dept", CustomType::Text, "日本"}},
         CustomEditOutcome::Refused,
         {}},
        {"name outside the code page",
         {{"部署", CustomType::Text, "x"}},
         CustomEditOutcome::Refused,
         {}},
    };
    for (const Case& c : cases) {
        PropertySection s = parsedSection(start);
        ASSERT_EQ(applyCustomEdits(s, c.edits), c.outcome) << c.name;
        if (c.outcome == CustomEditOutcome::Applied) {
            EXPECT_EQ(readBack(parsedSection(s.serialize())), c.after) << c.name;
            EXPECT_EQ(parsedSection(s.serialize()).value(6 | 0x01000000).text, "Bookmark");
        }
    }
}

TEST(CustomSection, NewSectionsNameInUtf16WithPadding) {
    PropertySection s = PropertySection::create(CP_WINUNICODE);
    ASSERT_EQ(applyCustomEdits(
                  s, {{"部署", CustomType::Text, "総務"}, {"承認者", CustomType::Text, "佐藤"}}),
              CustomEditOutcome::Applied);
    const Bytes written = s.serialize();
    // Two characters and the terminator, then two bytes of padding before the next entry.
    Bytes firstEntry;
    put(firstEntry, 2, 4);
    put(firstEntry, 3, 4);
    put(firstEntry, 0x7F7290E8, 4);
    put(firstEntry, 0, 4);
    put(firstEntry, 3, 4);
    EXPECT_TRUE(contains(written, firstEntry));
    const std::vector<CustomProperty> expected = {{"部署", CustomType::Text, "総務", false},
                                                  {"承認者", CustomType::Text, "佐藤", false}};
    EXPECT_EQ(readBack(parsedSection(written)), expected);
}

}  // namespace
}  // namespace quorvel::compound

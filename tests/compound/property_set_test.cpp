// SPDX-License-Identifier: GPL-3.0-or-later
#include "compound/property_set.h"

#include <gtest/gtest.h>

#include <bit>

#include "property_set_builder.h"

namespace quorvel::compound {
namespace {

using namespace testing;

const Fmtid kUserDefined = {std::byte{0x05}, std::byte{0xD5}, std::byte{0xCD}, std::byte{0xD5}};

PropertySetStream parsed(const Bytes& bytes, const Fmtid& fmtid = FMTID_SummaryInformation) {
    PropertySetStream set;
    EXPECT_EQ(PropertySetStream::parse(bytes, fmtid, set), SetParseStatus::Ok);
    return set;
}

// Serves a stream's bytes to readShownSection, counting those it fetches.
struct CountingReader {
    const Bytes& bytes;
    std::uint64_t fetched = 0;
    bool fail = false;
    StreamReader reader() {
        return [this](std::uint64_t offset, std::span<std::byte> out) {
            if (fail || offset > bytes.size() || out.size() > bytes.size() - offset) {
                return false;
            }
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(),
                        out.begin());
            fetched += out.size();
            return true;
        };
    }
};

SetParseStatus readShown(CountingReader& source, PropertySection& section) {
    return readShownSection(source.reader(), source.bytes.size(), FMTID_SummaryInformation, 2, 18,
                            section);
}

TEST(PropertySet, DecodesTheTypesThatAreShown) {
    const PropertySetStream set = parsed(summaryStream({
        {1, i2(1252)},
        {2, string("caf\xe9")},
        {3, i2(-7)},
        {4, i4(1234)},
        {5, scalar(VT_R4, std::bit_cast<std::uint32_t>(2.5f), 4)},
        {6, scalar(VT_R8, std::bit_cast<std::uint64_t>(-0.125), 8)},
        {7, scalar(VT_BOOL, 0xFFFF, 2)},
        {8, string("b", VT_BSTR)},
        {9, fileTime(0x01C2FB2E12345678)},
        {10, scalar(VT_LPWSTR, 0x0000007700000002, 8)},  // two UTF-16 units: "w", terminator
    }));
    const PropertySection& s = set.section();
    EXPECT_EQ(s.value(2).text, "café");
    EXPECT_EQ(s.value(3).integer, -7);
    EXPECT_EQ(s.value(4).integer, 1234);
    EXPECT_EQ(s.value(5).real, 2.5);
    EXPECT_EQ(s.value(6).real, -0.125);
    EXPECT_EQ(s.value(7).integer, -1);
    EXPECT_EQ(s.value(8).type, VT_BSTR);
    EXPECT_EQ(s.value(8).text, "b");
    EXPECT_EQ(s.value(9).fileTime, 0x01C2FB2E12345678u);
    EXPECT_EQ(s.value(10).type, VT_LPWSTR);
    EXPECT_EQ(s.value(10).text, "w");
    EXPECT_EQ(s.value(11).type, VT_EMPTY);
    EXPECT_TRUE(set.writable());
}

TEST(PropertySet, DecodesTextFromEachSectionsCodePage) {
    struct Case {
        std::int16_t storedCodePage;  // 0: no code page property
        std::string_view stored;
        std::string_view text;
    };
    const Case cases[] = {
        {932, "\x93\xfa\x96\x7b", "日本"},
        {1252, "na\xefve", "naïve"},
        {1200, std::string_view("\xe5\x65\x2c\x67\0\0junk", 10), "日本"},  // cut at the terminator
        {-535, "\xe6\x97\xa5", "日"},                                      // 65001 as signed 16-bit
        {10000, "\x8e", "é"},
        {936, "\xd6\xd0", "中"},
        {949, "\xc7\xd1", "한"},
        {950, "\xa4\xa4", "中"},
        {0, "\x93\xfa", "日"},  // none named: the system code page
        {1252, std::string_view("ab\0cd", 5), "ab"},
        {932, "\x93", "?"},  // undecodable: shown, not fatal
    };
    for (const Case& c : cases) {
        std::vector<Prop> props = {{2, string(c.stored)}};
        if (c.storedCodePage != 0) {
            props.insert(props.begin(), {1, i2(c.storedCodePage)});
        }
        EXPECT_EQ(parsed(summaryStream(props)).section().value(2).text, c.text) << c.storedCodePage;
    }
}

TEST(PropertySet, ReadsTheQuirksOfRealWriters) {
    // Unpadded strings put the next values at unaligned offsets.
    const PropertySetStream unpadded = parsed(
        summaryStream({{1, i2(1252)}, {2, string("abcde")}, {3, string("x")}, {19, i4(9)}}, false));
    EXPECT_EQ(unpadded.section().value(2).text, "abcde");
    EXPECT_EQ(unpadded.section().value(3).text, "x");
    EXPECT_EQ(unpadded.section().value(19).integer, 9);
    EXPECT_TRUE(unpadded.writable());

    // Property 0 used as an ordinary property, and a dictionary-like id 0, are kept.
    const PropertySetStream pidZero = parsed(summaryStream({{0, string("odd")}, {2, string("t")}}));
    EXPECT_EQ(pidZero.section().value(2).text, "t");

    // A stream without sections reads as an empty set.
    const PropertySetStream empty = parsed(stream({}));
    EXPECT_EQ(empty.section().value(2).type, VT_EMPTY);
    EXPECT_FALSE(empty.section().changed());

    // A Mac writer's format identifier with its first fields big-endian.
    const Fmtid inverted = {std::byte{0xF2}, std::byte{0x9F}, std::byte{0x85}, std::byte{0xE0},
                            std::byte{0x4F}, std::byte{0xF9}, std::byte{0x10}, std::byte{0x68},
                            std::byte{0xAB}, std::byte{0x91}, std::byte{0x08}, std::byte{0x00},
                            std::byte{0x2B}, std::byte{0x27}, std::byte{0xB3}, std::byte{0xD9}};
    EXPECT_EQ(parsed(stream({{inverted, section({{2, string("mac")}})}})).section().value(2).text,
              "mac");

    // The set's own section is found by its format identifier, wherever it is listed.
    const PropertySetStream second =
        parsed(stream({{kUserDefined, section({{2, i4(1)}})},
                       {FMTID_DocSummaryInformation, section({{2, string("c")}})}}),
               FMTID_DocSummaryInformation);
    EXPECT_EQ(second.section().value(2).text, "c");
}

TEST(PropertySet, RewritesOnlyTheOwnSectionAndKeepsEverythingElse) {
    // Big-endian user-defined section, as a Mac writer leaves it: kept raw.
    Bytes bigEndian = {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{16},
                       std::byte{0}, std::byte{0}, std::byte{0}, std::byte{1}};
    bigEndian.resize(16, std::byte{0xAB});
    const Bytes dictionary = {std::byte{1},   std::byte{0}, std::byte{0}, std::byte{0},
                              std::byte{2},   std::byte{0}, std::byte{0}, std::byte{0},
                              std::byte{2},   std::byte{0}, std::byte{0}, std::byte{0},
                              std::byte{'n'}, std::byte{0}};
    const Bytes unknown = scalar(VT_VECTOR | VT_LPSTR, 0x0102030405060708, 8);
    const Bytes original = stream({
        {FMTID_DocSummaryInformation,
         section({{1, i2(-535)}, {0, dictionary}, {2, string("old")}, {12, unknown}, {15, i4(3)}},
                 false)},
        {kUserDefined, bigEndian},
    });
    PropertySetStream set = parsed(original, FMTID_DocSummaryInformation);
    ASSERT_TRUE(set.section().setText(15, "新しい"));
    ASSERT_TRUE(set.section().changed());
    const Bytes written = set.serialize();

    EXPECT_EQ(Bytes(written.begin(), written.begin() + 28),
              Bytes(original.begin(), original.begin() + 28));
    EXPECT_TRUE(std::equal(bigEndian.begin(), bigEndian.end(), written.end() - 16));
    const PropertySetStream reread = parsed(written, FMTID_DocSummaryInformation);
    EXPECT_EQ(reread.section().value(15).type, VT_LPSTR);
    EXPECT_EQ(reread.section().value(15).text, "新しい");
    EXPECT_EQ(reread.section().value(2).text, "old");
    EXPECT_EQ(reread.section().value(12).type, VT_VECTOR | VT_LPSTR);
    EXPECT_EQ(reread.section().codePage(), 65001);
    EXPECT_TRUE(contains(written, dictionary));
    EXPECT_TRUE(contains(written, unknown));

    // Copies share the bytes as read: a change to one leaves the others as they were, and a
    // section outlives the stream it was read from.
    const PropertySetStream untouched = parsed(original, FMTID_DocSummaryInformation);
    PropertySetStream changed = untouched;
    ASSERT_TRUE(changed.section().setText(2, "new"));
    EXPECT_EQ(untouched.section().value(2).text, "old");
    EXPECT_EQ(untouched.serialize(), parsed(original, FMTID_DocSummaryInformation).serialize());
    const PropertySection kept = parsed(changed.serialize(), FMTID_DocSummaryInformation).section();
    EXPECT_EQ(kept.value(2).text, "new");
    EXPECT_EQ(kept.value(12).type, VT_VECTOR | VT_LPSTR);
}

TEST(PropertySet, ChangesOnlyWhatReallyDiffers) {
    PropertySetStream set = parsed(
        summaryStream({{1, i2(1252)}, {2, string("same")}, {10, i4(5)}, {12, fileTime(77)}}));
    PropertySection& s = set.section();
    ASSERT_TRUE(s.setText(2, "same"));
    s.replaceFileTime(12, 77);
    s.replaceFileTime(10, 99);  // not a time: left alone
    s.replaceFileTime(13, 99);  // absent: not created
    EXPECT_FALSE(s.changed());
    EXPECT_EQ(s.value(10).integer, 5);
    EXPECT_EQ(s.value(13).type, VT_EMPTY);

    s.replaceFileTime(12, 78);
    EXPECT_TRUE(s.changed());
    EXPECT_EQ(parsed(set.serialize()).section().value(12).fileTime, 78u);
}

TEST(PropertySet, WritesTextInTheSectionsCodePageOrNotAtAll) {
    PropertySetStream latin =
        parsed(summaryStream({{1, i2(1252)},
                              {2, string("t")},
                              {3, string(std::string_view("w\0\0\0", 4), VT_LPWSTR, 0)}}));
    EXPECT_FALSE(latin.section().setText(2, "日本"));
    EXPECT_FALSE(latin.section().changed());
    ASSERT_TRUE(latin.section().setText(3, "é"));  // a wide Title becomes a narrow one
    ASSERT_TRUE(latin.section().setText(4, ""));   // an absent one is added, even empty
    const Bytes written = latin.serialize();
    EXPECT_TRUE(contains(written, string("\xe9")));
    const PropertySetStream reread = parsed(written);
    EXPECT_EQ(reread.section().value(3).type, VT_LPSTR);
    EXPECT_EQ(reread.section().value(4).type, VT_LPSTR);
    EXPECT_EQ(reread.section().value(4).text, "");

    // A section naming no code page is written in the system code page, and then names it.
    PropertySetStream unnamed = parsed(summaryStream({{2, string("t")}}));
    ASSERT_TRUE(unnamed.section().setText(2, "日本"));
    const PropertySetStream declared = parsed(unnamed.serialize());
    EXPECT_EQ(declared.section().value(1).type, VT_I2);
    EXPECT_EQ(declared.section().value(1).integer, 932);
    EXPECT_EQ(declared.section().value(2).text, "日本");

    PropertySetStream created = PropertySetStream::create(FMTID_SummaryInformation, CP_WINUNICODE);
    ASSERT_TRUE(created.section().setText(2, "表"));
    const Bytes fresh = created.serialize();
    const Bytes utf16 = string(std::string_view("\x68\x88", 2), VT_LPSTR, 2);
    EXPECT_TRUE(contains(fresh, utf16));
    EXPECT_EQ(parsed(fresh).section().value(2).text, "表");
    EXPECT_EQ(parsed(fresh).section().codePage(), 1200);
}

// A set read for showing holds the values a whole read holds, from a few hundred bytes:
// never the thumbnail, which is most of some streams.
TEST(PropertySet, ShowingASetFetchesOnlyTheValuesShown) {
    Bytes thumbnail = scalar(VT_CF, 300'004, 4);
    thumbnail.resize(thumbnail.size() + 300'004, std::byte{0xAB});
    const Bytes bytes = summaryStream({{1, i2(932)},
                                       {2, string("title")},
                                       {4, string("author")},
                                       {17, thumbnail},
                                       {12, fileTime(0x01C2FB2E12345678)},
                                       {18, string("app")},
                                       {19, i4(2)},
                                       {40, string("not shown")}});
    const PropertySetStream whole = parsed(bytes);
    CountingReader source{bytes};
    PropertySection shown;
    ASSERT_EQ(readShown(source, shown), SetParseStatus::Ok);
    EXPECT_LT(source.fetched, 512u);
    EXPECT_EQ(shown.codePage(), 932);
    for (std::uint32_t id = 2; id < 20; ++id) {
        EXPECT_EQ(shown.value(id).type, whole.section().value(id).type) << id;
        EXPECT_EQ(shown.value(id).text, whole.section().value(id).text) << id;
        EXPECT_EQ(shown.value(id).integer, whole.section().value(id).integer) << id;
        EXPECT_EQ(shown.value(id).fileTime, whole.section().value(id).fileTime) << id;
    }
    EXPECT_EQ(shown.value(40).type, VT_EMPTY);
    source.fail = true;
    EXPECT_EQ(readShown(source, shown), SetParseStatus::ReadFailed);
}

TEST(PropertySet, RefusesOrLimitsHostileStructures) {
    const Bytes good = summaryStream({{1, i2(1252)}, {2, string("title")}, {14, i4(3)}});
    const Bytes blobLast = summaryStream({{1, i2(1252)}, {14, i4(3)}, {17, scalar(VT_CF, 0, 4)}});
    auto patched = [](Bytes b, std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i) {
            b[at + i] = static_cast<std::byte>(value >> (8 * i));
        }
        return b;
    };
    const std::size_t sectionAt = 48;
    struct Case {
        const char* what;
        Bytes bytes;
        SetParseStatus status;
        bool writable;
    };
    const Case cases[] = {
        {"byte order", patched(good, 0, 0xFFFF0001), SetParseStatus::BadHeader, false},
        {"section count", patched(good, 24, 0x60000000), SetParseStatus::BadHeader, false},
        {"section offset", patched(good, 44, 0x7FFFFFF0), SetParseStatus::BadSection, false},
        {"other format", stream({{kUserDefined, section({})}}), SetParseStatus::NoSuchSection,
         false},
        {"section size", patched(good, sectionAt, 0xFFFFFFF0), SetParseStatus::Ok, true},
        {"section size, last extent unknown", patched(blobLast, sectionAt, 0xFFFFFFF0),
         SetParseStatus::Ok, false},
        {"tiny section size", patched(good, sectionAt, 4), SetParseStatus::BadSection, false},
        {"property count", patched(good, sectionAt + 4, 0x88000000), SetParseStatus::BadSection,
         false},
        {"property offset", patched(good, sectionAt + 20, 0xFFFFFFFF), SetParseStatus::Ok, false},
        {"string length", patched(good, sectionAt + 44, 0x80000022), SetParseStatus::Ok, false},
        {"duplicate id", patched(good, sectionAt + 8, 2), SetParseStatus::Ok, false},
    };
    for (const Case& c : cases) {
        PropertySetStream set;
        EXPECT_EQ(PropertySetStream::parse(c.bytes, FMTID_SummaryInformation, set), c.status)
            << c.what;
        CountingReader source{c.bytes};
        PropertySection shown;
        EXPECT_EQ(readShown(source, shown), c.status) << c.what;  // as a whole read
        if (c.status == SetParseStatus::Ok) {
            EXPECT_EQ(set.writable(), c.writable) << c.what;
            EXPECT_EQ(set.section().value(14).integer, 3) << c.what;  // what can be read is read
            EXPECT_EQ(shown.value(14).integer, 3) << c.what;
        }
    }
    // Every prefix, in a buffer of exactly its size, parses or fails without reading past it.
    for (std::size_t length = 0; length < good.size(); ++length) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        PropertySetStream set;
        if (PropertySetStream::parse(prefix, FMTID_SummaryInformation, set) == SetParseStatus::Ok) {
            EXPECT_FALSE(set.writable()) << length;
            set.section().value(2);
        }
    }
}

}  // namespace
}  // namespace quorvel::compound

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package/package_properties.h"
#include "package/xml_time.h"
#include "property_parts.h"

namespace quorvel::test {
namespace {

using package::MemoryPackage;
using package::PackageChanges;
using props::DocProperties;
using props::PropertyWriteRequest;

const std::string kCoreOpen =
    "<cp:coreProperties "
    "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">";
const std::string kCoreClose = "</cp:coreProperties>";

// Parts that must be refused, never expanded or read half.
const struct {
    const char* name;
    std::string part;
} kHostileParts[] = {
    {"internal entity",
     "<!DOCTYPE x [<!ENTITY e \"boom\">]>" + kCoreOpen + "<dc:title>&e;</dc:title>" + kCoreClose},
    {"billion laughs",
     "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
     "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
         kCoreOpen + "<dc:title>&c;&c;&c;</dc:title>" + kCoreClose},
    {"external entity", "<!DOCTYPE x SYSTEM \"file:///etc/passwd\">" + kCoreOpen + kCoreClose},
    {"undeclared entity", kCoreOpen + "<dc:title>&e;</dc:title>" + kCoreClose},
    {"bare ampersand", kCoreOpen + "<dc:title>a & b</dc:title>" + kCoreClose},
    {"empty reference", kCoreOpen + "<dc:title>&;</dc:title>" + kCoreClose},
    {"invalid UTF-8", kCoreOpen + "<dc:title>\xC3\x28</dc:title>" + kCoreClose},
    {"overlong UTF-8", kCoreOpen + "<dc:title>\xC0\xAF</dc:title>" + kCoreClose},
    {"encoded surrogate", kCoreOpen + "<dc:title>\xED\xA0\x80</dc:title>" + kCoreClose},
    {"control character", kCoreOpen + "<dc:title>a\x01</dc:title>" + kCoreClose},
    {"NUL", kCoreOpen + std::string("<dc:title>a\0b</dc:title>", 22) + kCoreClose},
    {"control character reference", kCoreOpen + "<dc:title>&#1;</dc:title>" + kCoreClose},
    {"surrogate reference", kCoreOpen + "<dc:title>&#xD800;</dc:title>" + kCoreClose},
    {"huge reference", kCoreOpen + "<dc:title>&#x7FFFFFFFFF;</dc:title>" + kCoreClose},
    {"other encoding", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + kCoreOpen + kCoreClose},
    {"UTF-16", std::string("\xFF\xFE<\0a\0/\0>\0", 10)},
    {"not well-formed", kCoreOpen + "<dc:title>x</dc:subject>" + kCoreClose},
    {"truncated", kCoreOpen + "<dc:title>x"},
    {"unterminated comment", kCoreOpen + "<!-- " + kCoreClose},
    {"white space only", "\n"},
    {"wrong root", "<coreProperties/>"},
    {"namespace flood",
     [] {
         std::string declarations;
         for (int i = 0; i < 1001; ++i) {
             declarations += " xmlns:p" + std::to_string(i) + "=\"u\"";
         }
         return "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
                "metadata/core-properties\"" +
                declarations + "/>";
     }()},
};

TEST(PackageXmlSafety, HostilePartsAreRefusedWithTheirCodes) {
    PropertyWriteRequest request;
    request.fields[0] = {"x", 1};
    request.fields[10] = {"y", 1};
    for (const auto& hostile : kHostileParts) {
        SCOPED_TRACE(hostile.name);
        DocProperties props;
        PackageChanges changes;
        // As the core part: nothing read, nothing written.
        const MemoryPackage core = ooxmlPackage(hostile.part, kOfficeApp);
        EXPECT_EQ(package::readPackageProperties(core, props), props::kSummaryReadFailed);
        EXPECT_TRUE(props.empty());
        EXPECT_EQ(package::planPackageWrite(core, request, true, changes),
                  props::kSummaryReadFailed);
        EXPECT_TRUE(changes.empty());
        // As the app part: read as absent, a write of the second set fails.
        const MemoryPackage app = ooxmlPackage(kOfficeCore, hostile.part);
        EXPECT_EQ(package::readPackageProperties(app, props), 0);
        EXPECT_EQ(props.size(), props::kSummaryBlockSize);
        EXPECT_EQ(package::planPackageWrite(app, request, true, changes),
                  props::kDocSummaryReadFailed);
        // As ODF's meta.xml.
        const MemoryPackage odf = odfPackage(hostile.part);
        EXPECT_EQ(package::readPackageProperties(odf, props), props::kSummaryReadFailed);
        EXPECT_EQ(package::planPackageWrite(odf, request, true, changes),
                  props::kSummaryReadFailed);
        EXPECT_TRUE(changes.empty());
    }
}

TEST(PackageXmlSafety, ALargePartThatTheReaderRefusesIsUnreadable) {
    const std::string padding(17u << 20, ' ');
    DocProperties props;
    EXPECT_EQ(package::readPackageProperties(ooxmlPackage(kOfficeCore + padding, ""), props),
              props::kSummaryReadFailed);
}

TEST(PackageXmlSafety, TextXmlCannotHoldFailsItsSetAndChangesNothingOfIt) {
    for (const char* text : {"a\x01", "\x1F", "\xFF", "\xEF\xBF\xBF", "a\xC3"}) {
        SCOPED_TRACE(text);
        for (const MemoryPackage& package :
             {ooxmlPackage(kOfficeCore, kOfficeApp), odfPackage(kOdfMeta)}) {
            PackageChanges changes;
            PropertyWriteRequest request;
            request.fields[0] = {text, 1};
            EXPECT_EQ(package::planPackageWrite(package, request, false, changes),
                      props::kSummaryWriteFailed);
            EXPECT_TRUE(changes.empty());
            // In the second set: the first set's change is still made, as for compound files.
            request.fields[0] = {"ok", 1};
            request.fields[10] = {text, 1};
            EXPECT_EQ(package::planPackageWrite(package, request, false, changes),
                      props::kDocSummaryWriteFailed);
            ASSERT_EQ(changes.size(), 1u);
            EXPECT_TRUE(changes[0].content.find(">ok<") != std::string::npos);
            EXPECT_TRUE(changes[0].content.find("会社") != std::string::npos ||
                        changes[0].name == "docProps/core.xml");
        }
    }
}

TEST(PackageXmlTime, DateTimesAndDurationsParseOrAreRefused) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> utc;  // read with a zone-less text as UTC
    } dates[] = {
        {"2021-02-03T04:05:06Z", utcFileTime(2021, 2, 3, 4, 5, 6)},
        {"2021-02-03T13:05:06+09:00", utcFileTime(2021, 2, 3, 4, 5, 6)},
        {"2021-02-02T23:35:06-04:30", utcFileTime(2021, 2, 3, 4, 5, 6)},
        {"2021-02-03T04:05:06.1234567891Z", utcFileTime(2021, 2, 3, 4, 5, 6) + 1'234'567},
        {"2021-02-03", utcFileTime(2021, 2, 3, 0, 0, 0)},
        {"2021", utcFileTime(2021, 1, 1, 0, 0, 0)},
        {"2024-02-29T00:00:00", utcFileTime(2024, 2, 29, 0, 0, 0)},
        {"1601-01-01T00:00:00Z", 0},
        {"1600-12-31T23:59:59Z", std::nullopt},
        {"2023-02-29T00:00:00", std::nullopt},
        {"2021-13-01", std::nullopt},
        {"2021-02-03T24:00:00", std::nullopt},
        {"2021-02-03T04:05", std::nullopt},
        {"2021-02-03T04:05:06.", std::nullopt},
        {"2021-02-03T04:05:06+15:00", std::nullopt},
        {"2021-02-03T04:05:06Zjunk", std::nullopt},
        {"-2021-02-03", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& d : dates) {
        SCOPED_TRACE(d.text);
        const auto parsed = package::parseDateTime(d.text);
        const auto moment =
            parsed ? package::momentOf(*parsed, package::ZonelessAs::Utc) : std::nullopt;
        EXPECT_EQ(moment, d.utc);
    }
    const struct {
        const char* text;
        std::optional<std::uint64_t> seconds;
        const char* written;
    } durations[] = {
        {"PT1H2M3S", 3723, "PT1H2M3S"},
        {"P1DT2H", 93600, "P1DT2H"},
        {"P2D", 172800, "P2D"},
        {"PT0S", 0, "PT0S"},
        {"PT90M", 5400, "PT1H30M"},
        {"PT1.5S", std::nullopt, nullptr},  // fractional: checked below
        {"P1Y", std::nullopt, nullptr},
        {"P1M", std::nullopt, nullptr},
        {"PT", std::nullopt, nullptr},
        {"P", std::nullopt, nullptr},
        {"-PT1H", std::nullopt, nullptr},
        {"PT1H2S3M", std::nullopt, nullptr},
        {"PT9999999999999H", std::nullopt, nullptr},
        {"P999999999999D", std::nullopt, nullptr},  // more than 2^64 units
        {"P21350398D", 21350398ULL * 86400, "P21350398D"},
    };
    for (const auto& d : durations) {
        SCOPED_TRACE(d.text);
        const auto units = package::parseDuration(d.text);
        if (std::string_view(d.text) == "PT1.5S") {
            EXPECT_EQ(units, 15'000'000u);
            EXPECT_EQ(package::durationText(*units), "PT1.5S");
            continue;
        }
        EXPECT_EQ(units,
                  d.seconds ? std::optional<std::uint64_t>(*d.seconds * 10'000'000) : std::nullopt);
        if (units) {
            EXPECT_EQ(package::durationText(*units), d.written);
        }
    }
    EXPECT_EQ(package::w3cdtfText(utcFileTime(2024, 12, 31, 23, 59, 58) + 5),
              "2024-12-31T23:59:58Z");
    EXPECT_EQ(package::w3cdtfText(~0ULL), std::nullopt);  // year 58055
}

}  // namespace
}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package/package_properties.h"
#include "property_parts.h"
#include "support/time_zone_scope.h"

namespace quorvel::test {
namespace {

using package::MemoryPackage;
using package::PackageChanges;
using package::planPackageWrite;
using package::readPackageProperties;
using props::DocProperties;
using props::PropertyWriteRequest;

struct Expected {
    std::size_t row;
    std::string text;        // for text rows
    std::uint64_t time = 0;  // for time rows (isTime expected)
};

void expectProperties(const DocProperties& props, const std::vector<Expected>& expected,
                      const std::string& what) {
    for (const Expected& e : expected) {
        SCOPED_TRACE(what + " row " + std::to_string(e.row));
        ASSERT_LT(e.row, props.size());
        if (e.time != 0) {
            EXPECT_TRUE(props[e.row].isTime);
            EXPECT_EQ(props[e.row].time, e.time);
            EXPECT_FALSE(props[e.row].text.empty());
        } else {
            EXPECT_FALSE(props[e.row].isTime);
            EXPECT_EQ(props[e.row].text, e.text);
        }
    }
}

DocProperties read(const MemoryPackage& package, props::MessageCode expectedCode = 0) {
    DocProperties props;
    EXPECT_EQ(readPackageProperties(package, props), expectedCode);
    return props;
}

const std::vector<Expected> kOoxmlExpected = {
    {0, "報告書"},
    {1, "件名"},
    {2, "山田"},
    {3, "a; b"},
    {4, "A & B"},
    {5, "Normal.dotm"},
    {6, "佐藤"},
    {7, "3"},
    {8, "", 125 * kUnitsPerMinute},
    {9, "", utcFileTime(2020, 1, 2, 3, 4, 5)},
    {10, "", utcFileTime(2021, 2, 3, 4, 5, 6)},
    {11, "", utcFileTime(2022, 3, 4, 5, 6, 7)},
    {12, "2"},
    {13, "30"},
    {14, "200"},
    {15, ""},
    {16, "Microsoft Office Word"},
    {17, ""},
    {18, "分類"},
    {21, "5"},
    {22, "4"},
    {31, "会社"},
};

// Every text field ticked with a new value, every date given.
PropertyWriteRequest fullRequest() {
    PropertyWriteRequest request;
    const std::array<std::string, props::kTextFieldCount> texts = {
        "新しい表題", "Subject <2>", "著者",    "x, y ,z",   "line \"1\"", "Tpl.dotx",
        "更新者",     "7",           "Quorvel", "Cat & Dog", "新会社"};
    for (std::size_t k = 0; k < texts.size(); ++k) {
        request.fields[k] = {texts[k], 1};
    }
    request.dates = std::array<std::uint64_t, props::kDateCount>{
        90 * kUnitsPerMinute, utcFileTime(2023, 7, 1, 10, 0, 0), utcFileTime(2019, 1, 1, 0, 0, 0),
        utcFileTime(2024, 12, 31, 23, 59, 58)};
    return request;
}

std::vector<Expected> fullRequestExpected(const std::string& keywords) {
    return {{0, "新しい表題"},
            {1, "Subject <2>"},
            {2, "著者"},
            {3, keywords},
            {4, "line \"1\""},
            {5, "Tpl.dotx"},
            {6, "更新者"},
            {7, "7"},
            {8, "", 90 * kUnitsPerMinute},
            {9, "", utcFileTime(2023, 7, 1, 10, 0, 0)},
            {10, "", utcFileTime(2019, 1, 1, 0, 0, 0)},
            {11, "", utcFileTime(2024, 12, 31, 23, 59, 58)},
            {16, "Quorvel"},
            {18, "Cat & Dog"},
            {31, "新会社"}};
}

TEST(PackageProperties, OoxmlTransitionalAndStrictReadEveryFieldAndWriteThemBack) {
    struct Case {
        const char* name;
        MemoryPackage package;
    };
    std::vector<Case> cases;
    cases.push_back({"transitional", ooxmlPackage(kOfficeCore, kOfficeApp)});
    cases.push_back({"strict", ooxmlPackage(kStrictCore, kStrictApp, true)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DocProperties before = read(c.package);
        ASSERT_EQ(before.size(), props::kCatalogueSize);
        expectProperties(before, kOoxmlExpected, "read");

        PackageChanges changes;
        ASSERT_EQ(planPackageWrite(c.package, fullRequest(), false, changes), 0);
        ASSERT_EQ(changes.size(), 2u);  // core and app, nothing else
        const MemoryPackage after = applied(c.package, changes);
        expectProperties(read(after), fullRequestExpected("x, y ,z"), "written");
        // What we do not map stays; dates keep their W3CDTF type.
        const std::string core = entry(after, "docProps/core.xml");
        EXPECT_TRUE(entry(after, "docProps/app.xml").find("<AppVersion>16.0000</AppVersion>") !=
                    std::string::npos);
        EXPECT_TRUE(core.starts_with(kXmlHead));
        EXPECT_TRUE(core.find("2024-12-31T23:59:58Z") != std::string::npos);
        EXPECT_TRUE(core.find("Cat &amp; Dog") != std::string::npos);

        // The same request again changes nothing.
        ASSERT_EQ(planPackageWrite(after, fullRequest(), false, changes), 0);
        EXPECT_TRUE(changes.empty());
    }
}

TEST(PackageProperties, OoxmlWriteKeepsEveryOtherByteOfThePart) {
    const MemoryPackage package = ooxmlPackage(kOfficeCore, kOfficeApp);
    PropertyWriteRequest request;
    request.fields[0] = {"X", 1};
    PackageChanges changes;
    ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
    ASSERT_EQ(changes.size(), 1u);
    std::string expected = kOfficeCore;
    expected.replace(expected.find("報告書"), std::string("報告書").size(), "X");
    EXPECT_EQ(changes[0].name, "docProps/core.xml");
    EXPECT_EQ(changes[0].content, expected);
}

TEST(PackageProperties, OdfReadsEveryFieldAndWritesThemBack) {
    const MemoryPackage package = odfPackage(kOdfMeta);
    const DocProperties before = read(package);
    ASSERT_EQ(before.size(), props::kCatalogueSize);
    // Zone-less ODF dates are Tokyo time here (UTC+9).
    expectProperties(before,
                     {{0, "報告書"},
                      {1, "件名"},
                      {2, "山田"},
                      {3, "one, two words"},
                      {4, "A & B"},
                      {5, "雛形"},
                      {6, "佐藤"},
                      {7, "4"},
                      {8, "", 3723ULL * 10'000'000},
                      {9, "", utcFileTime(2020, 1, 2, 3, 4, 5)},
                      {10, "", utcFileTime(2021, 2, 3, 4, 5, 6) + 1'230'000},
                      {11, "", utcFileTime(2022, 3, 4, 5, 6, 7)},
                      {12, "2"},
                      {13, "30"},
                      {14, "200"},
                      {16, "LibreOffice/7.4"},
                      {18, "分類"},
                      {21, ""},
                      {22, "4"},
                      {31, "会社"}},
                     "read");

    PackageChanges changes;
    ASSERT_EQ(planPackageWrite(package, fullRequest(), false, changes), 0);
    ASSERT_EQ(changes.size(), 1u);
    const MemoryPackage after = applied(package, changes);
    expectProperties(read(after), fullRequestExpected("x, y, z"), "written");
    const std::string meta = entry(after, "meta.xml");
    for (const char* kept : {"<meta:keyword>x</meta:keyword><meta:keyword>y</"
                             "meta:keyword><meta:keyword>z</meta:keyword>",
                             "<meta:editing-duration>PT1H30M</meta:editing-duration>",
                             // The style of each date is kept: local without zone, or UTC.
                             "<meta:print-date>2023-07-01T19:00:00</meta:print-date>",
                             "<dc:date>2024-12-31T23:59:58Z</dc:date>", "xlink:href=\"../t.ott\"",
                             "meta:name=\"Other\" meta:value-type=\"float\">1.5<"}) {
        EXPECT_TRUE(meta.find(kept) != std::string::npos) << kept;
    }
    ASSERT_EQ(planPackageWrite(after, fullRequest(), false, changes), 0);
    EXPECT_TRUE(changes.empty());
}

TEST(PackageProperties, OdfDatesFollowTheLocalZoneAndItsDaylightSaving) {
    struct Case {
        const char* zone;
        const char* stored;
        std::uint64_t moment;
        std::uint64_t written;
        const char* writtenText;
    };
    const Case cases[] = {
        {"Asia/Tokyo", "2021-07-01T12:00:00", utcFileTime(2021, 7, 1, 3, 0, 0),
         utcFileTime(2021, 1, 1, 3, 0, 0), "2021-01-01T12:00:00"},
        {"Europe/Berlin", "2021-07-01T12:00:00", utcFileTime(2021, 7, 1, 10, 0, 0),
         utcFileTime(2021, 1, 1, 11, 0, 0), "2021-01-01T12:00:00"},
        {"Europe/Berlin", "2021-01-01T12:00:00.5", utcFileTime(2021, 1, 1, 11, 0, 0) + 5'000'000,
         utcFileTime(2021, 7, 1, 10, 0, 0), "2021-07-01T12:00:00"},
        {"Europe/Berlin", "2021-07-01T12:00:00Z", utcFileTime(2021, 7, 1, 12, 0, 0),
         utcFileTime(2021, 1, 1, 11, 0, 0), "2021-01-01T11:00:00Z"},
        {"Europe/Berlin", "2021-07-01T12:00:00+09:00", utcFileTime(2021, 7, 1, 3, 0, 0),
         utcFileTime(2021, 1, 1, 11, 0, 0), "2021-01-01T20:00:00+09:00"},
    };
    for (const Case& c : cases) {
        if (!test::canUseTimeZone(c.zone)) {
            continue;  // reported below, once the other cases have run
        }
        SCOPED_TRACE(std::string(c.zone) + " " + c.stored);
        const TimeZoneScope zone(c.zone);
        std::string meta = kOdfMeta;
        const std::string old = "<dc:date>2022-03-04T05:06:07Z</dc:date>";
        meta.replace(meta.find(old), old.size(),
                     std::string("<dc:date>") + c.stored + "</dc:date>");
        const MemoryPackage package = odfPackage(meta);
        EXPECT_EQ(read(package).at(11).time, c.moment);

        PropertyWriteRequest request;
        request.dates = std::array<std::uint64_t, props::kDateCount>{0, 0, 0, c.written};
        PackageChanges changes;
        ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_TRUE(changes[0].content.find(std::string("<dc:date>") + c.writtenText + "<") !=
                    std::string::npos)
            << changes[0].content;
        EXPECT_EQ(read(applied(package, changes)).at(11).time, c.written);
    }
    for (const Case& c : cases) {
        QUORVEL_SKIP_UNLESS_TIME_ZONE(c.zone);
    }
}

TEST(PackageProperties, KeywordsSplitAtCommasAndAreTrimmed) {
    const struct {
        const char* typed;
        const char* elements;
        const char* readBack;
    } cases[] = {
        {" a ,b,, c ",
         "<meta:keyword>a</meta:keyword><meta:keyword>b</meta:keyword>"
         "<meta:keyword>c</meta:keyword><dc:description>",
         "a, b, c"},
        {"単語、二つ", "<meta:keyword>単語、二つ</meta:keyword><dc:description>", "単語、二つ"},
        {"", "<dc:subject>件名</dc:subject><meta:initial-creator>", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PropertyWriteRequest request;
        request.fields[3] = {c.typed, 1};
        const MemoryPackage package = odfPackage(kOdfMeta);
        PackageChanges changes;
        ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_TRUE(changes[0].content.find(c.elements) != std::string::npos) << changes[0].content;
        EXPECT_EQ(read(applied(package, changes)).at(3).text, c.readBack);
    }
}

// Without the app part its fields are reported missing (109), while what lives in the core
// part, the second set's category included, is still written.
TEST(PackageProperties, WithoutTheAppPartTheCorePartIsStillWritten) {
    const struct {
        const char* name;
        std::vector<std::pair<std::size_t, std::string>> ticked;
        bool writeDocSummary;
        props::MessageCode code;
        std::vector<std::string> coreHolds;
    } cases[] = {
        {"title, category, template",
         {{0, "新題"}, {9, "新分類"}, {5, "t.dotx"}},
         true,
         props::kNoDocSummary,
         {"<dc:title>新題</dc:title>", "<cp:category>新分類</cp:category>"}},
        {"category and company",
         {{9, "新分類"}, {10, "新社"}},
         true,
         props::kNoDocSummary,
         {"<dc:title>報告書</dc:title>", "<cp:category>新分類</cp:category>"}},
        {"second set off",
         {{0, "新題"}, {9, "新分類"}},
         false,
         0,
         {"<dc:title>新題</dc:title>", "<cp:category>分類</cp:category>"}},
        {"category XML cannot hold",
         {{0, "新題"}, {9, "a\x01"}},
         true,
         props::kNoDocSummary,
         {"<dc:title>新題</dc:title>", "<cp:category>分類</cp:category>"}},
    };
    const MemoryPackage package = ooxmlPackage(kOfficeCore, "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropertyWriteRequest request;
        request.writeDocSummary = c.writeDocSummary;
        for (const auto& [field, text] : c.ticked) {
            request.fields[field] = {text, 1};
        }
        PackageChanges changes;
        EXPECT_EQ(planPackageWrite(package, request, false, changes), c.code);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_EQ(changes[0].name, "docProps/core.xml");
        for (const std::string& element : c.coreHolds) {
            EXPECT_NE(changes[0].content.find(element), std::string::npos) << element;
        }
    }
}

TEST(PackageProperties, MissingPartsGiveTheCodesOfMissingSetsOrAreCreated) {
    PropertyWriteRequest title;
    title.fields[0] = {"題", 1};
    PropertyWriteRequest company = title;
    company.fields[10] = {"社", 1};
    PropertyWriteRequest titleOnly = title;
    titleOnly.writeDocSummary = false;

    struct Case {
        const char* name;
        MemoryPackage package;
        PropertyWriteRequest request;
        props::MessageCode withoutCreate;
        std::vector<std::string> changedWithoutCreate;
        std::vector<std::string> changedWithCreate;
        std::size_t entriesAfterCreate;
    };
    const Case cases[] = {
        {"no core",
         ooxmlPackage("", kOfficeApp),
         company,
         props::kNoSummary,
         {},
         {"docProps/core.xml", "docProps/app.xml", "[Content_Types].xml", "_rels/.rels"},
         33},
        {"no app",
         ooxmlPackage(kOfficeCore, ""),
         company,
         props::kNoDocSummary,
         {"docProps/core.xml"},
         {"docProps/core.xml", "docProps/app.xml", "[Content_Types].xml", "_rels/.rels"},
         33},
        {"no app, second set off",
         ooxmlPackage(kOfficeCore, ""),
         titleOnly,
         0,
         {"docProps/core.xml"},
         {"docProps/core.xml"},
         18},
        {"no core, no app",
         ooxmlPackage("", ""),
         company,
         props::kNoSummary,
         {},
         {"docProps/core.xml", "docProps/app.xml", "[Content_Types].xml", "_rels/.rels"},
         33},
        {"no meta",
         odfPackage(""),
         company,
         props::kNoSummary,
         {},
         {"meta.xml", "META-INF/manifest.xml"},
         33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto names = [](const PackageChanges& changes) {
            std::vector<std::string> out;
            for (const auto& change : changes) {
                out.push_back(change.name);
            }
            return out;
        };
        PackageChanges changes;
        EXPECT_EQ(planPackageWrite(c.package, c.request, false, changes), c.withoutCreate);
        EXPECT_EQ(names(changes), c.changedWithoutCreate);

        ASSERT_EQ(planPackageWrite(c.package, c.request, true, changes), 0);
        EXPECT_EQ(names(changes), c.changedWithCreate);
        const MemoryPackage after = applied(c.package, changes);
        const DocProperties props = read(after);
        ASSERT_EQ(props.size(), c.entriesAfterCreate);
        EXPECT_EQ(props[0].text, "題");
        if (c.request.writeDocSummary) {
            EXPECT_EQ(props[31].text, "社");
        }
    }
    // The created parts are announced as Office announces them.
    PackageChanges changes;
    ASSERT_EQ(planPackageWrite(ooxmlPackage("", ""), company, true, changes), 0);
    const MemoryPackage after = applied(ooxmlPackage("", ""), changes);
    EXPECT_TRUE(entry(after, "[Content_Types].xml")
                    .find("<Override PartName=\"/docProps/core.xml\" ContentType=\"application/"
                          "vnd.openxmlformats-package.core-properties+xml\"/>") !=
                std::string::npos);
    EXPECT_TRUE(entry(after, "_rels/.rels")
                    .find("Id=\"rId2\" Type=\"" + kCoreType + "\" Target=\"docProps/core.xml\"") !=
                std::string::npos);
    EXPECT_TRUE(entry(after, "META-INF/manifest.xml").empty());
}

TEST(PackageProperties, SecondSetOffLeavesCategoryAndCompanyAlone) {
    PropertyWriteRequest request;
    request.fields[9] = {"新分類", 1};
    request.fields[10] = {"新会社", 1};
    request.writeDocSummary = false;
    for (const MemoryPackage& package :
         {ooxmlPackage(kOfficeCore, kOfficeApp), odfPackage(kOdfMeta)}) {
        PackageChanges changes;
        EXPECT_EQ(planPackageWrite(package, request, false, changes), 0);
        EXPECT_TRUE(changes.empty());
    }
    // First-set fields stored in the app part are still written.
    request.fields[5] = {"Other.dotx", 1};
    PackageChanges changes;
    const MemoryPackage package = ooxmlPackage(kOfficeCore, kOfficeApp);
    ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
    const DocProperties props = read(applied(package, changes));
    EXPECT_EQ(props[5].text, "Other.dotx");
    EXPECT_EQ(props[18].text, "分類");
    EXPECT_EQ(props[31].text, "会社");
}

TEST(PackageProperties, OdfCategoryOfAnImportedOoxmlDocumentIsReadAndWrittenWhereItIs) {
    std::string meta = kOdfMeta;
    meta.replace(meta.find("\"Category\""), 10, "\"OOXMLCorePropertyCategory\"");
    const MemoryPackage package = odfPackage(meta);
    EXPECT_EQ(read(package).at(18).text, "分類");
    PropertyWriteRequest request;
    request.fields[9] = {"新", 1};
    PackageChanges changes;
    ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_TRUE(changes[0].content.find("\"OOXMLCorePropertyCategory\">新<") != std::string::npos);
    EXPECT_TRUE(changes[0].content.find("\"Category\"") == std::string::npos);
}

TEST(PackageProperties, DatesMissingOrUnreadableAreNotCreated) {
    std::string core = kOfficeCore;
    const std::string printed = "<cp:lastPrinted>2020-01-02T03:04:05Z</cp:lastPrinted>";
    core.replace(core.find(printed), printed.size(), "<cp:lastPrinted>soon</cp:lastPrinted>");
    const MemoryPackage package = ooxmlPackage(core, "");
    const DocProperties props = read(package);
    ASSERT_EQ(props.size(), props::kSummaryBlockSize);
    EXPECT_FALSE(props[9].isTime);
    EXPECT_EQ(props[9].text, "soon");
    EXPECT_FALSE(props[8].isTime);  // no app part: no edit time

    // An edit time too long to be held as a file time is shown as its text.
    std::string app = kOfficeApp;
    app.replace(app.find("<TotalTime>125<"), 15, "<TotalTime>999999999999<");
    const DocProperties longEdit = read(ooxmlPackage(kOfficeCore, app));
    EXPECT_FALSE(longEdit.at(8).isTime);
    EXPECT_EQ(longEdit.at(8).text, "999999999999");

    PropertyWriteRequest request;
    request.writeDocSummary = false;
    request.dates = std::array<std::uint64_t, props::kDateCount>{
        utcFileTime(2000, 1, 1, 0, 0, 0), utcFileTime(2000, 1, 1, 0, 0, 0), 0, 0};
    PackageChanges changes;
    EXPECT_EQ(planPackageWrite(package, request, false, changes), 0);
    EXPECT_TRUE(changes.empty());
}

}  // namespace
}  // namespace quorvel::test

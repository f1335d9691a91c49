// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "package/package_properties.h"

namespace quorvel::test {

// File time of a UTC calendar time.
inline std::uint64_t utcFileTime(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_seconds moment = sys_days{std::chrono::year{year} / month / day} + hours{hour} +
                               minutes{minute} + seconds{second};
    return (static_cast<std::uint64_t>(moment.time_since_epoch().count()) + 11644473600ULL) *
           10'000'000ULL;
}

inline constexpr std::uint64_t kUnitsPerMinute = 600'000'000;

inline const std::string kXmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

inline std::string relsPart(const std::string& relationships) {
    return kXmlHead +
           "<Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           relationships + "</Relationships>";
}

inline std::string relationship(const std::string& id, const std::string& type,
                                const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}

inline const std::string kCoreType =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
inline const std::string kAppType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
inline const std::string kStrictAppType =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/extendedProperties";
inline const std::string kDocumentType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";

inline const std::string kContentTypes =
    kXmlHead +
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "</Types>";

// Core and app parts as Office writes them, every mapped property set, plus elements we
// do not know (which a write must keep).
inline const std::string kOfficeCore =
    kXmlHead +
    "<cp:coreProperties "
    "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
    "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<dc:title>報告書</dc:title><dc:subject>件名</dc:subject><dc:creator>山田</dc:creator>"
    "<cp:keywords>a; b</cp:keywords><dc:description>A &amp; B</dc:description>"
    "<cp:lastModifiedBy>佐藤</cp:lastModifiedBy><cp:revision>3</cp:revision>"
    "<cp:lastPrinted>2020-01-02T03:04:05Z</cp:lastPrinted>"
    "<dcterms:created xsi:type=\"dcterms:W3CDTF\">2021-02-03T04:05:06Z</dcterms:created>"
    "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2022-03-04T05:06:07Z</dcterms:modified>"
    "<cp:category>分類</cp:category><cp:contentStatus>Draft</cp:contentStatus>"
    "</cp:coreProperties>";

inline std::string appPart(const std::string& ns, const std::string& vtNs) {
    return kXmlHead + "<Properties xmlns=\"" + ns + "\" xmlns:vt=\"" + vtNs +
           "\"><Template>Normal.dotm</Template><TotalTime>125</TotalTime><Pages>2</Pages>"
           "<Words>30</Words><Characters>200</Characters>"
           "<Application>Microsoft Office Word</Application><DocSecurity>0</DocSecurity>"
           "<Lines>5</Lines><Paragraphs>4</Paragraphs><Company>会社</Company>"
           "<AppVersion>16.0000</AppVersion></Properties>";
}

inline const std::string kOfficeApp =
    appPart("http://schemas.openxmlformats.org/officeDocument/2006/extended-properties",
            "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes");

// The same properties as Strict OOXML holds them, with other prefixes.
inline const std::string kStrictCore =
    kXmlHead +
    "<coreProperties "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:d=\"http://purl.org/dc/elements/1.1/\" xmlns:t=\"http://purl.org/dc/terms/\" "
    "xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<d:title>報告書</d:title><d:subject>件名</d:subject><d:creator>山田</d:creator>"
    "<keywords>a; b</keywords><d:description>A &amp; B</d:description>"
    "<lastModifiedBy>佐藤</lastModifiedBy><revision>3</revision>"
    "<lastPrinted>2020-01-02T03:04:05Z</lastPrinted>"
    "<t:created i:type=\"t:W3CDTF\">2021-02-03T13:05:06+09:00</t:created>"
    "<t:modified>2022-03-04T05:06:07Z</t:modified>"
    "<category>分類</category></coreProperties>";

inline const std::string kStrictApp =
    appPart("http://purl.oclc.org/ooxml/officeDocument/extendedProperties",
            "http://purl.oclc.org/ooxml/officeDocument/docPropsVTypes");

// A word-processing package with the given parts (an empty one is left out).
inline package::MemoryPackage ooxmlPackage(const std::string& core, const std::string& app,
                                           bool strict = false) {
    std::string relationships = relationship("rId1", kDocumentType, "word/document.xml");
    if (!core.empty()) {
        relationships += relationship("rId2", kCoreType, "docProps/core.xml");
    }
    if (!app.empty()) {
        relationships +=
            relationship("rId3", strict ? kStrictAppType : kAppType, "/docProps/app.xml");
    }
    package::MemoryPackage package;
    package.add("[Content_Types].xml", kContentTypes);
    package.add("_rels/.rels", relsPart(relationships));
    package.add("word/document.xml", "<w:document/>");
    if (!core.empty()) {
        package.add("docProps/core.xml", core);
    }
    if (!app.empty()) {
        package.add("docProps/app.xml", app);
    }
    return package;
}

inline const std::string kOdfMeta =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" "
    "xmlns:ooo=\"http://openoffice.org/2004/office\" office:version=\"1.3\"><office:meta>"
    "<meta:creation-date>2021-02-03T13:05:06.123000000</meta:creation-date>"
    "<dc:title>報告書</dc:title><dc:subject>件名</dc:subject>"
    "<meta:initial-creator>山田</meta:initial-creator>"
    "<meta:keyword>one</meta:keyword><meta:keyword>two words</meta:keyword>"
    "<dc:description>A &amp; B</dc:description>"
    "<meta:template xlink:type=\"simple\" xlink:actuate=\"onRequest\" xlink:title=\"雛形\" "
    "xlink:href=\"../t.ott\"/>"
    "<dc:creator>佐藤</dc:creator><meta:editing-cycles>4</meta:editing-cycles>"
    "<meta:editing-duration>PT1H2M3S</meta:editing-duration>"
    "<meta:print-date>2020-01-02T12:04:05</meta:print-date>"
    "<dc:date>2022-03-04T05:06:07Z</dc:date><meta:generator>LibreOffice/7.4</meta:generator>"
    "<meta:document-statistic meta:table-count=\"0\" meta:page-count=\"2\" meta:word-count=\"30\" "
    "meta:character-count=\"200\" meta:paragraph-count=\"4\"/>"
    "<meta:user-defined meta:name=\"Category\">分類</meta:user-defined>"
    "<meta:user-defined meta:name=\"Company\">会社</meta:user-defined>"
    "<meta:user-defined meta:name=\"Other\" meta:value-type=\"float\">1.5</meta:user-defined>"
    "</office:meta></office:document-meta>";

inline const std::string kOdfManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.3\">"
    "<manifest:file-entry manifest:full-path=\"/\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
    "</manifest:manifest>";

inline package::MemoryPackage odfPackage(const std::string& meta) {
    package::MemoryPackage package;
    package.add("mimetype", "application/vnd.oasis.opendocument.text");
    package.add("content.xml", "<office:document-content/>");
    if (!meta.empty()) {
        package.add("meta.xml", meta);
    }
    package.add("META-INF/manifest.xml", kOdfManifest);
    return package;
}

// The package with the planned changes put in.
inline package::MemoryPackage applied(package::MemoryPackage package,
                                      const package::PackageChanges& changes) {
    for (const package::PartChange& change : changes) {
        package.add(change.name, change.content);
    }
    return package;
}

inline std::string entry(const package::MemoryPackage& package, const std::string& name) {
    std::string content;
    package.read(name, content, 1u << 30);
    return content;
}

}  // namespace quorvel::test

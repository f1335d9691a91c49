// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "package/package_properties.h"
#include "property_parts.h"

namespace quorvel::test {
namespace {

using package::MemoryPackage;
using package::PackageChanges;
using package::planPackageWrite;
using props::CustomEdit;
using props::CustomType;
using props::MessageCode;

const std::string kCustomNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
const std::string kVtNs = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
const std::string kCustomType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties";
const std::string kFmtid = "fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\"";

// How a custom part spells its names: Office's default namespace and vt, or other prefixes.
struct Spelling {
    std::string root;      // the root's qualified name
    std::string property;  // a property's qualified name
    std::string vt;        // the value types' prefix
};
const Spelling kOffice = {"Properties", "property", "vt"};
const Spelling kOtherPrefixes = {"c:Properties", "c:property", "t"};

std::string customPart(const Spelling& s, const std::string& properties) {
    // Built piece by piece: GCC 12 at -O3 warns falsely on ":" + std::string.
    std::string rootPrefix;
    if (s.root != "Properties") {
        rootPrefix = ':';
        rootPrefix += s.root.substr(0, s.root.find(':'));
    }
    return kXmlHead + "<" + s.root + " xmlns" + rootPrefix + "=\"" + kCustomNs +
           "\" xmlns:" + s.vt + "=\"" + kVtNs + "\">" + properties + "</" + s.root + ">";
}

std::string property(const Spelling& s, int pid, const std::string& name, const std::string& type,
                     const std::string& value, const std::string& more = "") {
    return "<" + s.property + " " + kFmtid + " pid=\"" + std::to_string(pid) + "\" name=\"" + name +
           "\"" + more + "><" + s.vt + ":" + type + ">" + value + "</" + s.vt + ":" + type + "></" +
           s.property + ">";
}

// An Office document whose custom part holds content (none when empty).
MemoryPackage ooxmlWithCustom(const std::string& content) {
    MemoryPackage package = ooxmlPackage(kOfficeCore, kOfficeApp);
    if (!content.empty()) {
        package.add("_rels/.rels",
                    relsPart(relationship("rId1", kDocumentType, "word/document.xml") +
                             relationship("rId2", kCoreType, "docProps/core.xml") +
                             relationship("rId3", kAppType, "docProps/app.xml") +
                             relationship("rId9", kCustomType, "docProps/custom.xml")));
        package.add("docProps/custom.xml", content);
    }
    return package;
}

MemoryPackage odfWithFields(const std::string& fields) {
    std::string meta = kOdfMeta;
    meta.insert(meta.find("</office:meta>"), fields);
    return odfPackage(meta);
}

std::string userDefined(const std::string& name, const std::string& type,
                        const std::string& value) {
    return "<meta:user-defined meta:name=\"" + name + "\"" +
           (type.empty() ? "" : " meta:value-type=\"" + type + "\"") + ">" + value +
           "</meta:user-defined>";
}

// "name|type|value", with "|ro" for a read-only one.
std::vector<std::string> described(const props::CustomProperties& custom) {
    std::vector<std::string> out;
    for (const props::CustomProperty& p : custom.items) {
        out.push_back(p.name + "|" + std::string(props::customTypeName(p.type)) + "|" + p.value +
                      (p.readOnly ? "|ro" : ""));
    }
    return out;
}

props::CustomProperties readCustom(const MemoryPackage& package, props::DocProperties& props,
                                   MessageCode expectedCode = props::kSuccess) {
    props::CustomProperties custom;
    EXPECT_EQ(package::readPackageProperties(package, props, &custom), expectedCode);
    return custom;
}

std::vector<std::string> readDescribed(const MemoryPackage& package) {
    props::DocProperties props;
    const props::CustomProperties custom = readCustom(package, props);
    EXPECT_EQ(custom.status, props::kSuccess);
    return described(custom);
}

TEST(CustomProperties, OoxmlReadsEachValueTypeWhateverThePrefixes) {
    const std::vector<std::string> expected = {
        "Text|text| a & b ",
        "Ansi|text|a",
        "Count|int|-12",
        "Small|int|7",
        "Big|other|4294967296|ro",
        "Ratio|real|2.5",
        "Due|date|2021-02-03T04:05:06Z",
        "Shifted|date|2021-02-03T04:05:06Z",
        "Done|bool|true",
        "Off|bool|false",
        "List|other|vector|ro",
        "Linked|text|x|ro",
        "_PID_LINKBASE|text|base|ro",
    };
    for (const Spelling& s : {kOffice, kOtherPrefixes}) {
        SCOPED_TRACE(s.root);
        const std::string part = customPart(
            s,
            property(s, 2, "Text", "lpwstr", " a &amp; b ") + property(s, 3, "Ansi", "lpstr", "a") +
                property(s, 4, "Count", "i4", " -12 ") + property(s, 5, "Small", "ui1", "7") +
                property(s, 6, "Big", "i8", "4294967296") + property(s, 7, "Ratio", "r8", "2.50") +
                property(s, 8, "Due", "filetime", "2021-02-03T04:05:06Z") +
                property(s, 9, "Shifted", "filetime", "2021-02-03T13:05:06+09:00") +
                property(s, 10, "Done", "bool", "1") + property(s, 11, "Off", "bool", "false") +
                property(s, 12, "List", "vector", "<" + s.vt + ":lpwstr>a</" + s.vt + ":lpwstr>") +
                property(s, 13, "Linked", "lpwstr", "x", " linkTarget=\"_Toc1\"") +
                property(s, 14, "_PID_LINKBASE", "lpwstr", "base"));
        EXPECT_EQ(readDescribed(ooxmlWithCustom(part)), expected);
    }
    // A value element outside the value types' namespace is not a value of theirs.
    const std::string foreign = "<Properties xmlns=\"" + kCustomNs +
                                "\" xmlns:vt=\"urn:other\"><property " + kFmtid +
                                " pid=\"2\" name=\"N\"><vt:lpwstr>a</vt:lpwstr></property>"
                                "</Properties>";
    EXPECT_EQ(readDescribed(ooxmlWithCustom(foreign)),
              std::vector<std::string>{"N|other|lpwstr|ro"});
    EXPECT_TRUE(readDescribed(ooxmlWithCustom("")).empty());
}

TEST(CustomProperties, OdfReadsEachValueTypeButNotTheFixedFields) {
    // kOdfMeta holds Category and Company (fixed fields) and Other (a float).
    const MemoryPackage package = odfWithFields(
        userDefined("Count", "float", "42") + userDefined("Ratio", "float", "1e1") +
        userDefined("Due", "date", "2021-02-03T13:05:06") + userDefined("Done", "boolean", "true") +
        userDefined("Text", "string", " t ") + userDefined("Plain", "", "p") +
        userDefined("Spent", "time", "PT1H") + userDefined("company", "", "c"));
    // Zone-less dates are local (Tokyo) time.
    EXPECT_EQ(readDescribed(package),
              (std::vector<std::string>{"Other|real|1.5", "Count|int|42", "Ratio|real|10",
                                        "Due|date|2021-02-03T04:05:06Z", "Done|bool|true",
                                        "Text|text| t ", "Plain|text|p", "Spent|other|PT1H|ro",
                                        "company|text|c|ro"}));
    // The fixed fields' user-defined fields are not changed as user-defined properties.
    props::PropertyWriteRequest request;
    request.customEdits = {{"COMPANY", CustomType::Text, "x"}};
    PackageChanges changes;
    EXPECT_EQ(planPackageWrite(package, request, false, changes), props::kDocSummaryWriteFailed);
    EXPECT_TRUE(changes.empty());
}

// Both formats hold Project (text "Alpha") and Frozen (read-only: linked, or a duration).
TEST(CustomProperties, EditsAreMadeInOrderOrNotAtAll) {
    struct Case {
        const char* name;
        std::vector<CustomEdit> edits;
        MessageCode code;
        std::vector<std::string> present;  // described, after the write
        std::vector<std::string> absent;   // names
    };
    const Case cases[] = {
        {"set keeps the stored spelling",
         {{"PROJECT", CustomType::Integer, "7"}},
         0,
         {"Project|int|7"},
         {}},
        {"add, then remove",
         {{"Neu", CustomType::Date, "2024-01-02T03:04:05Z"},
          {"project", CustomType::Text, "", true}},
         0,
         {"Neu|date|2024-01-02T03:04:05Z"},
         {"Project"}},
        {"each type",
         {{"T", CustomType::Text, " <a> "},
          {"R", CustomType::Real, "0.250"},
          {"B", CustomType::Bool, "no"},
          {"D", CustomType::Date, "2024-01-02"}},
         0,
         {"T|text| <a> ", "R|real|0.25", "B|bool|false", "D|date|2024-01-02T00:00:00Z"},
         {}},
        {"remove what is not there",
         {{"absent", CustomType::Text, "", true}},
         0,
         {"Project|text|Alpha"},
         {"absent"}},
        {"read-only target",
         {{"Neu", CustomType::Text, "x"}, {"frozen", CustomType::Text, "x"}},
         props::kDocSummaryWriteFailed,
         {},
         {}},
        {"read-only removed",
         {{"Frozen", CustomType::Text, "", true}},
         props::kDocSummaryWriteFailed,
         {},
         {}},
        {"reserved name",
         {{"_pid_guid", CustomType::Text, "x"}},
         props::kDocSummaryWriteFailed,
         {},
         {}},
        {"control character",
         {{"Neu", CustomType::Text, "a\x01"}},
         props::kDocSummaryWriteFailed,
         {},
         {}},
        {"not of its type",
         {{"Neu", CustomType::Integer, "4294967296"}},
         props::kDocSummaryWriteFailed,
         {},
         {}},
    };
    const Spelling s = kOffice;
    const std::vector<std::pair<const char*, MemoryPackage>> packages = {
        {"ooxml", ooxmlWithCustom(customPart(
                      s, property(s, 2, "Project", "lpwstr", "Alpha") +
                             property(s, 3, "Frozen", "lpwstr", "x", " linkTarget=\"_Toc1\"")))},
        {"odf", odfWithFields(userDefined("Project", "string", "Alpha") +
                              userDefined("Frozen", "time", "PT1H"))},
    };
    for (const auto& [format, package] : packages) {
        const std::vector<std::string> before = readDescribed(package);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(format) + ": " + c.name);
            props::PropertyWriteRequest request;
            request.fields[0] = {"新題", 1};
            request.writeDocSummary = false;  // the user-defined edits go all the same
            request.customEdits = c.edits;
            PackageChanges changes;
            ASSERT_EQ(planPackageWrite(package, request, false, changes), c.code);
            const MemoryPackage after = applied(package, changes);
            props::DocProperties props;
            const std::vector<std::string> custom = described(readCustom(after, props));
            EXPECT_EQ(props.at(0).text, "新題");  // the first set is written either way
            if (c.code != 0) {
                EXPECT_EQ(custom, before);
                continue;
            }
            for (const std::string& item : c.present) {
                EXPECT_NE(std::find(custom.begin(), custom.end(), item), custom.end()) << item;
            }
            for (const std::string& name : c.absent) {
                for (const std::string& item : custom) {
                    EXPECT_FALSE(props::sameCustomName(item.substr(0, item.find('|')), name));
                }
            }
            // Made once, the same edits change nothing more.
            ASSERT_EQ(planPackageWrite(after, request, false, changes), 0);
            EXPECT_TRUE(changes.empty());
        }
    }
}

TEST(CustomProperties, OoxmlEditsTouchOnlyTheirProperties) {
    props::PropertyWriteRequest request;
    request.customEdits = {{"PROJECT", CustomType::Real, "2.5"},
                           {"gone", CustomType::Text, "", true},
                           {"Neu", CustomType::Integer, "-3"}};
    for (const Spelling& s : {kOffice, kOtherPrefixes}) {
        SCOPED_TRACE(s.root);
        const std::string kept =
            property(s, 5, "Keep", "vector", "<" + s.vt + ":i4>1</" + s.vt + ":i4>");
        const std::string part = customPart(s, property(s, 2, "Project", "lpwstr", "Alpha") + kept +
                                                   property(s, 3, "Gone", "bool", "true"));
        PackageChanges changes;
        ASSERT_EQ(planPackageWrite(ooxmlWithCustom(part), request, false, changes), 0);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_EQ(changes[0].name, "docProps/custom.xml");
        EXPECT_EQ(changes[0].content, customPart(s, property(s, 2, "Project", "r8", "2.5") + kept +
                                                        property(s, 6, "Neu", "i4", "-3")));
        // No edits: nothing is rewritten.
        props::PropertyWriteRequest none;
        ASSERT_EQ(planPackageWrite(ooxmlWithCustom(part), none, false, changes), 0);
        EXPECT_TRUE(changes.empty());
    }
}

TEST(CustomProperties, OoxmlFirstPropertyCreatesTheAnnouncedPart) {
    const MemoryPackage package = ooxmlWithCustom("");
    props::PropertyWriteRequest request;
    request.writeDocSummary = false;
    request.customEdits = {{"Gone", CustomType::Text, "", true}};
    PackageChanges changes;
    ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
    EXPECT_TRUE(changes.empty());

    request.customEdits = {{"Größe", CustomType::Real, "2.5"}, {"Flag", CustomType::Bool, "1"}};
    ASSERT_EQ(planPackageWrite(package, request, false, changes), 0);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].name, "docProps/custom.xml");
    EXPECT_EQ(changes[0].content,
              customPart(kOffice, property(kOffice, 2, "Größe", "r8", "2.5") +
                                      property(kOffice, 3, "Flag", "bool", "true")));
    const MemoryPackage after = applied(package, changes);
    EXPECT_NE(entry(after, "[Content_Types].xml")
                  .find("<Override PartName=\"/docProps/custom.xml\" ContentType=\"application/"
                        "vnd.openxmlformats-officedocument.custom-properties+xml\"/>"),
              std::string::npos);
    EXPECT_NE(entry(after, "_rels/.rels")
                  .find("Id=\"rId4\" Type=\"" + kCustomType + "\" Target=\"docProps/custom.xml\""),
              std::string::npos);
    EXPECT_EQ(readDescribed(after), (std::vector<std::string>{"Größe|real|2.5", "Flag|bool|true"}));
}

TEST(CustomProperties, DamagedCustomPartLeavesTheFixedFieldsAlone) {
    const std::string damaged[] = {
        "<Properties xmlns=\"" + kCustomNs + "\"><property",
        "<Properties xmlns=\"urn:other\"/>",
        "<!DOCTYPE p [<!ENTITY e \"x\">]><Properties xmlns=\"" + kCustomNs + "\">&e;</Properties>",
    };
    for (const std::string& part : damaged) {
        SCOPED_TRACE(part);
        const MemoryPackage package = ooxmlWithCustom(part);
        props::DocProperties props;
        const props::CustomProperties custom = readCustom(package, props);
        EXPECT_EQ(custom.status, props::kDocSummaryReadFailed);
        EXPECT_TRUE(custom.items.empty());
        ASSERT_EQ(props.size(), props::kCatalogueSize);
        EXPECT_EQ(props[0].text, "報告書");
        EXPECT_EQ(props[31].text, "会社");

        props::PropertyWriteRequest request;
        request.fields[0] = {"新題", 1};
        request.fields[10] = {"新社", 1};
        request.customEdits = {{"Neu", CustomType::Text, "x"}};
        PackageChanges changes;
        EXPECT_EQ(planPackageWrite(package, request, false, changes), props::kDocSummaryReadFailed);
        ASSERT_EQ(changes.size(), 1u);  // the first set only
        EXPECT_EQ(changes[0].name, "docProps/core.xml");
    }
}

}  // namespace
}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document_access.h"
#include "io/memory_device.h"
#include "pdf/pdf_properties.h"
#include "pdf_test_util.h"
#include "platform/local_time.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

namespace quorvel::pdf {
namespace {

using props::DocProperties;
using props::MessageCode;

constexpr std::size_t kTitle = 0, kSubject = 1, kAuthor = 2, kKeywords = 3, kCreated = 10,
                      kLastSaved = 11, kPages = 12, kAppName = 16, kCompany = 31;

// Catalog, a page tree of three pages, the Info dictionary and, when given, an XMP packet.
std::string documentWith(const std::string& info, const std::string& xmp = "",
                         const std::string& trailerExtra = "") {
    std::vector<std::string> objects = {xmp.empty()
                                            ? "<< /Type /Catalog /Pages 2 0 R >>"
                                            : "<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>",
                                        "<< /Type /Pages /Kids [] /Count 3 >>", info};
    if (!xmp.empty()) {
        objects.push_back(streamObject(xmp, "/Type /Metadata /Subtype /XML"));
    }
    return buildPdf(objects, trailerExtra);
}

std::string xmpPacket(const std::string& descriptions) {
    return R"(<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>)"
           R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF )"
           R"(xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)" +
           descriptions + R"(</rdf:RDF></x:xmpmeta><?xpacket end="w"?>)";
}

std::uint64_t utc(std::int64_t unixSeconds) {
    return platform::unixSecondsToFileTime(unixSeconds);
}

struct Expected {
    std::size_t row;
    std::string text;
};

void expectFields(const DocProperties& props, const std::vector<Expected>& expected) {
    ASSERT_EQ(props.size(), props::kCatalogueSize);
    for (std::size_t row = 0; row < props.size(); ++row) {
        std::string want;
        for (const Expected& e : expected) {
            want = e.row == row ? e.text : want;
        }
        if (!props[row].isTime) {
            EXPECT_EQ(props[row].text, want) << "row " << row;
        }
    }
}

TEST(PdfPropertiesTest, SamplesReadAsTheirInfoAndXmpSay) {
    const struct {
        const char* name;
        std::vector<Expected> fields;
        std::uint64_t created;
        std::uint64_t lastSaved;
    } cases[] = {
        // Classic cross-reference table, Info only.
        {"pikepdf_fourpages.pdf",
         {{kTitle, "untitled"},
          {kSubject, "unspecified"},
          {kAuthor, "anonymous"},
          {kAppName, "ReportLab PDF Library - www.reportlab.com"},
          {kPages, "4"}},
         utc(1483519737),
         utc(1483519737)},
        // Info and an XMP packet that agree.
        {"pikepdf_formxobject.pdf", {{kPages, "1"}}, utc(1233776070), 0},
        // Cross-reference stream and object streams.
        {"pikepdf_outlines.pdf",
         {{kAppName, "LaTeX with hyperref"}, {kPages, "2"}},
         utc(1583237096),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocProperties props;
        props::CustomProperties custom;
        ASSERT_EQ(document::ReadDocProperties(test::utf8String(test::sampleDocument(c.name)), props,
                                              &custom),
                  props::kSuccess);
        expectFields(props, c.fields);
        EXPECT_EQ(props[kCreated].isTime ? props[kCreated].time : 0, c.created);
        EXPECT_EQ(props[kLastSaved].isTime ? props[kLastSaved].time : 0, c.lastSaved);
        EXPECT_TRUE(custom.items.empty());
    }
}

TEST(PdfPropertiesTest, TextStringsAreDecodedAndInfoWinsOverXmp) {
    const std::string xmp = xmpPacket(
        R"(<rdf:Description rdf:about="" xmlns:d="http://purl.org/dc/elements/1.1/">)"
        R"(<d:title><rdf:Alt><rdf:li xml:lang="de">Titel</rdf:li>)"
        R"(<rdf:li xml:lang="x-default">XMP title</rdf:li></rdf:Alt></d:title>)"
        R"(<d:creator><rdf:Seq><rdf:li>山田</rdf:li><rdf:li>Li</rdf:li></rdf:Seq></d:creator>)"
        R"(<d:subject><rdf:Bag><rdf:li>a</rdf:li><rdf:li>b</rdf:li></rdf:Bag></d:subject>)"
        R"(</rdf:Description><rdf:Description rdf:about="" xmlns:t="http://ns.adobe.com/xap/1.0/")"
        R"( t:CreatorTool="Tool" t:ModifyDate="2024-03-05T10:20:30+09:00"/>)");
    const struct {
        const char* name;
        std::string info;
        std::string xmp;
        std::vector<Expected> fields;
    } cases[] = {
        {"UTF-16BE Japanese, PDFDocEncoding, UTF-8 with its mark",
         "<< /Title <FEFF8868984C> /Subject (\x80\x84) /Author (\xEF\xBB\xBFK\xC3\xB6ln) "
         "/Company (\xFE\xFF\x4F\x1A\x79\x3E) >>",
         "",
         {{kTitle, "表題"},
          {kSubject, "•—"},
          {kAuthor, "Köln"},
          {kCompany, "会社"},
          {kPages, "3"}}},
        {"XMP fills what Info lacks",
         "<< /Title () /Producer (P) >>",
         xmp,
         {{kTitle, "XMP title"},
          {kAuthor, "山田; Li"},
          {kKeywords, "a, b"},
          {kAppName, "Tool"},
          {kPages, "3"}}},
        {"Info wins",
         "<< /Title (Info title) /Creator (Maker) >>",
         xmp,
         {{kTitle, "Info title"},
          {kAuthor, "山田; Li"},
          {kKeywords, "a, b"},
          {kAppName, "Maker"},
          {kPages, "3"}}},
        {"no Info, no XMP", "null", "", {{kPages, "3"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        io::MemoryDevice device = deviceOf(documentWith(c.info, c.xmp));
        DocProperties props;
        ASSERT_EQ(readPdfDocument(device, props), props::kSuccess);
        expectFields(props, c.fields);
    }
    io::MemoryDevice device = deviceOf(documentWith("<< >>", xmp));
    DocProperties props;
    ASSERT_EQ(readPdfDocument(device, props), props::kSuccess);
    EXPECT_TRUE(props[kLastSaved].isTime);
    EXPECT_EQ(props[kLastSaved].time, utc(1709601630));
}

TEST(PdfPropertiesTest, OtherInfoKeysAreTheCustomProperties) {
    io::MemoryDevice device = deviceOf(
        documentWith("<< /Title (T) /Producer (P) /Trapped /False /Company (C) /Project <FEFF30C6> "
                     "/Version 3 /Kind /Draft /Gone null >>"));
    DocProperties props;
    props::CustomProperties custom;
    ASSERT_EQ(readPdfDocument(device, props, &custom), props::kSuccess);
    const std::vector<props::CustomProperty> expected = {
        {"Kind", props::CustomType::Other, "Draft", true},
        {"Project", props::CustomType::Text, "テ", false},
        {"Version", props::CustomType::Other, "3", true},
    };
    EXPECT_EQ(custom.items, expected);
}

std::string deflated(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

TEST(PdfPropertiesTest, HostileFilesGiveACodeAndNeverCrash) {
    const std::string good = documentWith("<< /Title (T) >>");
    const std::string selfPrev =
        documentWith("<< /Title (T) >>", "", "/Prev " + std::to_string(good.rfind("xref\n")));
    const std::string bomb =
        buildPdf({"<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>",
                  "<< /Type /Pages /Kids [] /Count 1 >>", "<< /Title (T) >>",
                  streamObject(deflated(std::string(64 << 20, ' ')), "/Filter /FlateDecode")});
    const std::string deep =
        documentWith("<< /Title (T) /Deep " + std::string(100000, '[') + " >>");
    const std::string sample = fileBytes(test::sampleDocument("pikepdf_outlines.pdf"));
    std::string farInfo = documentWith("<< >>");
    farInfo.replace(farInfo.find("/Info 3"), 7, "/Info 999999999");
    const struct {
        const char* name;
        std::string bytes;
        std::vector<MessageCode> allowed;
    } cases[] = {
        {"header only", "%PDF-1.7\n", {props::kCannotOpenDocument}},
        {"garbage", "%PDF-1.4\n" + std::string(5000, '\x9c'), {props::kCannotOpenDocument}},
        {"truncated",
         sample.substr(0, sample.size() / 2),
         {props::kSuccess, props::kCannotOpenDocument, props::kSummaryReadFailed}},
        {"/Prev loop", selfPrev, {props::kSuccess}},
        {"Info far beyond the objects", farInfo, {props::kSuccess, props::kCannotOpenDocument}},
        {"inflation bomb as XMP", bomb, {props::kSuccess}},
        {"deep nesting",
         deep,
         {props::kSuccess, props::kCannotOpenDocument, props::kSummaryReadFailed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        io::MemoryDevice device = deviceOf(c.bytes);
        DocProperties props;
        props::CustomProperties custom;
        const MessageCode code = readPdfDocument(device, props, &custom);
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), code), c.allowed.end())
            << int(code);
        EXPECT_EQ(props.size(), code == props::kSuccess ? props::kCatalogueSize : 0);
    }
}

// Counts what the parser asks of the device.
class CountingDevice final : public io::BlockDevice {
  public:
    explicit CountingDevice(io::BlockDevice& device) : m_device(device) {}
    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        bytesRead += out.size();
        return m_device.readAt(offset, out);
    }
    bool writeAt(std::uint64_t, std::span<const std::byte>) override { return false; }
    bool sync() override { return true; }
    std::uint64_t size() const override { return m_device.size(); }
    std::uint64_t bytesRead = 0;

  private:
    io::BlockDevice& m_device;
};

TEST(PdfPropertiesTest, ReadsGoThroughTheDeviceAndSkipTheContent) {
    const std::string content(4 << 20, 'x');
    io::MemoryDevice memory = deviceOf(
        buildPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 1 >>",
                  "<< /Title (T) >>", streamObject(content)}));
    CountingDevice device(memory);
    DocProperties props;
    ASSERT_EQ(readPdfDocument(device, props), props::kSuccess);
    EXPECT_EQ(props[kTitle].text, "T");
    EXPECT_GT(device.bytesRead, 0u);
    EXPECT_LT(device.bytesRead, 64u * 1024);
}

TEST(PdfPropertiesTest, TheDoorWritesPdfByAppendingAndKnowsItByItsHeader) {
    test::TempFolder folder;
    const std::string path = test::copyOfSampleDocument("pikepdf_fourpages.pdf", folder / "a.pdf");
    const std::string before = fileBytes(path);
    props::PropertyWriteRequest request;
    request.fields[0] = {"new", 1};
    EXPECT_EQ(document::WriteDocProperties(path, request), props::kSuccess);
    EXPECT_EQ(fileBytes(path).substr(0, before.size()), before);
    DocProperties props;
    props::DocumentFacts facts;
    ASSERT_EQ(document::ReadDocProperties(path, props, nullptr, &facts), props::kSuccess);
    EXPECT_EQ(props[kTitle].text, "new");
    EXPECT_EQ(facts.kind, props::DocumentKind::Pdf);
    EXPECT_FALSE(facts.producer.empty());
    io::MemoryDevice notPdf = deviceOf("%PD-1.4 nothing");
    EXPECT_FALSE(startsAsPdf(notPdf));
    io::MemoryDevice late = deviceOf(std::string(1000, ' ') + "%PDF-1.4");
    EXPECT_TRUE(startsAsPdf(late));
}

}  // namespace
}  // namespace quorvel::pdf

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <string>
#include <vector>

#include "pdf/pdf_document.h"
#include "pdf/pdf_properties.h"
#include "pdf/pdf_update.h"
#include "pdf/xmp_packet.h"
#include "pdf_test_util.h"
#include "support/test_data.h"

namespace quorvel::pdf {
namespace {

using props::MessageCode;

constexpr std::size_t kTitle = 0, kAuthor = 2, kKeywords = 3, kCreated = 10, kCompany = 31;
constexpr std::uint64_t kMarch2024 = 133541076300000000ULL;  // 2024-03-05 10:20:30 UTC

std::string sample(const char* name) {
    return fileBytes(test::sampleDocument(name));
}

// The document rewritten by qpdf: with object and cross-reference streams, or encrypted with
// an empty user password.
std::string rewritten(const std::string& bytes, bool encrypt) {
    QPDF pdf;
    pdf.processMemoryFile("in", bytes.data(), bytes.size());
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    if (encrypt) {
        writer.setR6EncryptionParameters("", "owner", true, true, true, true, true, true,
                                         qpdf_r3p_full, true);
    } else {
        writer.setObjectStreamMode(qpdf_o_generate);
    }
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

props::PropertyWriteRequest titleRequest(const std::string& title) {
    props::PropertyWriteRequest request;
    request.fields[0] = {title, 1};
    return request;
}

props::PropertyWriteRequest fullRequest() {
    props::PropertyWriteRequest request = titleRequest("題名 100% %%EOF");
    request.fields[2] = {"山田; Smith", 1};
    request.fields[3] = {"a, b", 1};
    request.fields[10] = {"会社", 1};
    request.dates = std::array<std::uint64_t, props::kDateCount>{0, 0, kMarch2024, 0};
    request.customEdits.push_back({"部署", props::CustomType::Text, "営業", false});
    return request;
}

XmpFields packetFields(const std::string& bytes) {
    QPDF pdf;
    pdf.processMemoryFile("out", bytes.data(), bytes.size());
    return readXmpFields(metadataPacket(pdf));
}

TEST(PdfUpdateTest, AppendsAnUpdateThatEveryKindOfFileReadsBackFromInfoAndXmp) {
    const std::string classic = sample("pikepdf_fourpages.pdf");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"classic table, XMP", classic},
        {"no XMP", sample("pikepdf_formxobject.pdf")},
        {"outlines", sample("pikepdf_outlines.pdf")},
        {"xref and object streams", rewritten(classic, false)},
        {"table and stream, the stream's own entry wrong", sample("qpdf_hybrid-xref.pdf")},
        {"linearized, early XMP", sample("qpdf_lin3.pdf")},
        {"no Info", buildPdf({"<< /Type /Catalog /Pages 2 0 R >>",
                              "<< /Type /Pages /Kids [] /Count 0 >>", "<< >>"})},
    };
    for (const auto& [what, original] : cases) {
        SCOPED_TRACE(what);
        io::MemoryDevice device = deviceOf(original);
        ASSERT_EQ(writePdfDocument(device, fullRequest()), props::kSuccess);
        ASSERT_EQ(writePdfDocument(device, titleRequest("二回目")), props::kSuccess);
        const std::string written = textOf(device);
        EXPECT_EQ(written.substr(0, original.size()), original);
        props::DocProperties read;
        props::CustomProperties custom;
        ASSERT_EQ(readPdfDocument(device, read, &custom), props::kSuccess);
        EXPECT_EQ(read[kTitle].text, "二回目");
        EXPECT_EQ(read[kAuthor].text, "山田; Smith");
        EXPECT_EQ(read[kCompany].text, "会社");
        EXPECT_EQ(read[kCreated].time, kMarch2024);
        ASSERT_NE(props::findCustom(custom.items, "部署"), nullptr);
        const XmpFields xmp = packetFields(written);
        EXPECT_EQ(xmp.title, "二回目");
        EXPECT_EQ(xmp.creators, "山田; Smith");
        EXPECT_EQ(xmp.keywords, "a, b");
        EXPECT_EQ(xmp.createDate, "2024-03-05T10:20:30Z");
    }
}

TEST(PdfUpdateTest, RefusesFilesItMustNotAppendToAndLeavesThemAsTheyWere) {
    const std::string catalog = "<< /Type /Catalog /Pages 2 0 R >>";
    const std::string pages = "<< /Type /Pages /Kids [] /Count 0 >>";
    std::string brokenXref = buildPdf({catalog, pages, "<< /Title (T) >>"});
    brokenXref.replace(brokenXref.rfind("startxref\n") + 10, 1, "9");
    const struct {
        const char* what;
        std::string bytes;
        MessageCode expected;
    } cases[] = {
        {"encrypted", rewritten(sample("pikepdf_fourpages.pdf"), true), props::kPdfEncrypted},
        {"signed field",
         buildPdf({"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] >> >>", pages,
                   "<< >>", "<< /FT /Sig /T (s) /V << /Type /Sig >> >>"}),
         props::kPdfSigned},
        {"certified",
         buildPdf({"<< /Type /Catalog /Pages 2 0 R /Perms << /DocMDP 4 0 R >> >>", pages, "<< >>",
                   "<< /Type /Sig >>"}),
         props::kPdfSigned},
        {"signature flag",
         buildPdf(
             {"<< /Type /Catalog /Pages 2 0 R /AcroForm << /SigFlags 3 >> >>", pages, "<< >>"}),
         props::kPdfSigned},
        {"broken cross-reference", brokenXref, props::kPdfNotWritable},
        {"entry at a wrong offset", sample("qpdf_bad-xref-entry.pdf"), props::kPdfNotWritable},
        {"bytes before the header", "junk\n" + sample("pikepdf_fourpages.pdf"),
         props::kPdfNotWritable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        io::MemoryDevice device = deviceOf(c.bytes);
        EXPECT_EQ(writePdfDocument(device, titleRequest("x")), c.expected);
        EXPECT_EQ(textOf(device), c.bytes);
    }
}

TEST(PdfUpdateTest, FieldsWithoutPlaceAndForbiddenCustomNamesAreReported) {
    const std::string original = sample("pikepdf_fourpages.pdf");
    props::PropertyWriteRequest comment = titleRequest("written");
    comment.fields[4] = {"no place", 1};
    props::PropertyWriteRequest printed;
    printed.dates = std::array<std::uint64_t, props::kDateCount>{0, kMarch2024, 0, 0};
    props::PropertyWriteRequest clash;
    clash.customEdits.push_back({"title", props::CustomType::Text, "x", false});
    const struct {
        const char* what;
        props::PropertyWriteRequest request;
        MessageCode expected;
        bool appends;
    } cases[] = {
        {"comment beside a title", comment, props::kPdfFieldWithoutPlace, true},
        {"last printed alone", printed, props::kPdfFieldWithoutPlace, false},
        {"custom name of a field", clash, props::kDocSummaryWriteFailed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        io::MemoryDevice device = deviceOf(original);
        EXPECT_EQ(writePdfDocument(device, c.request), c.expected);
        EXPECT_EQ(textOf(device).size() > original.size(), c.appends);
    }
}

// A field Info leaves empty is shown from the packet; writing another keeps it, in both.
TEST(PdfUpdateTest, AFieldShownFromThePacketSurvivesAWriteOfAnother) {
    const std::string packet =
        "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
        "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
        "xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:title><rdf:Alt><rdf:li "
        "xml:lang='x-default'>From XMP</rdf:li></rdf:Alt></dc:title></rdf:Description>"
        "</rdf:RDF></x:xmpmeta>";
    io::MemoryDevice device =
        deviceOf(buildPdf({"<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>",
                           "<< /Type /Pages /Kids [] /Count 0 >>", "<< /Title () >>",
                           streamObject(packet, "/Type /Metadata /Subtype /XML")}));
    props::PropertyWriteRequest request;
    request.fields[2] = {"Author", 1};
    ASSERT_EQ(writePdfDocument(device, request), props::kSuccess);
    props::DocProperties read;
    ASSERT_EQ(readPdfDocument(device, read), props::kSuccess);
    EXPECT_EQ(read[kTitle].text, "From XMP");
    EXPECT_EQ(packetFields(textOf(device)).title, "From XMP");
}

TEST(PdfUpdateTest, EmptyTextRemovesTheFieldFromInfoAndXmp) {
    io::MemoryDevice device = deviceOf(sample("pikepdf_fourpages.pdf"));
    props::PropertyWriteRequest request;
    request.fields[1] = {"", 1};
    ASSERT_EQ(writePdfDocument(device, request), props::kSuccess);
    props::DocProperties read;
    ASSERT_EQ(readPdfDocument(device, read), props::kSuccess);
    EXPECT_EQ(read[1].text, "");
    EXPECT_FALSE(packetFields(textOf(device)).description.has_value());
}

// A write killed part-way leaves the old file and a prefix of the update: it reads as the old
// file, and the next write cuts the torn tail off.
TEST(PdfUpdateTest, ATornUpdateReadsAsTheOldFileAndIsCutOffByTheNextWrite) {
    const std::string original = sample("pikepdf_outlines.pdf");
    io::MemoryDevice whole = deviceOf(original);
    ASSERT_EQ(writePdfDocument(whole, fullRequest()), props::kSuccess);
    const std::string update = textOf(whole).substr(original.size());
    const std::size_t complete = update.rfind("%%EOF") + 5;
    for (std::size_t cut = 0; cut < complete; cut += cut + 40 < complete ? 13 : 1) {
        SCOPED_TRACE(cut);
        io::MemoryDevice device = deviceOf(original + update.substr(0, cut));
        props::DocProperties read;
        ASSERT_EQ(readPdfDocument(device, read), props::kSuccess);
        EXPECT_EQ(read[kTitle].text, "");
        ASSERT_EQ(writePdfDocument(device, titleRequest("again")), props::kSuccess);
        EXPECT_EQ(textOf(device).substr(0, original.size()), original);
        EXPECT_EQ(textOf(device).find("%QuorvelUpdate", original.size()),
                  textOf(device).rfind("%QuorvelUpdate"));
        ASSERT_EQ(readPdfDocument(device, read), props::kSuccess);
        EXPECT_EQ(read[kTitle].text, "again");
    }
}

}  // namespace
}  // namespace quorvel::pdf

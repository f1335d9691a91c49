// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document_access.h"
#include "platform/local_time.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

namespace quorvel::pdf {
namespace {

using props::DocProperties;
using props::MessageCode;

constexpr std::size_t kTitle = 0, kSubject = 1, kAuthor = 2, kKeywords = 3, kCreated = 10,
                      kPages = 12, kAppName = 16;

struct Field {
    std::size_t row;
    std::string text;
};

// Samples of other projects' test suites, one for each file structure, text encoding and
// kind of encryption (all with an empty user password) that the reader meets.
TEST(PdfSamplesTest, SamplesOfOtherSuitesReadAsTheirInfoSays) {
    const struct {
        const char* name;
        std::vector<Field> fields;
        std::int64_t created;  // Unix seconds
        const char* customName;
    } cases[] = {
        {"pypdf_metadata.pdf",
         {{kTitle, "The Title"},
          {kSubject, "The Subject"},
          {kAuthor, "Martin Thoma"},
          {kKeywords, "Some Keywords, other keywords; more keywords"},
          {kAppName, "pdflatex, or other tool"}},
         1650007963,
         "PTEX.Fullbanner"},
        {"pdfjs_japanese_title.pdf",
         {{kTitle, "あいち電子調達共同システム"},
          {kSubject, "操作マニュアル"},
          {kAuthor, "nakafuru"}},
         1508804285,
         nullptr},
        {"verapdf_pdfdoc_keywords.pdf",
         {{kTitle, "Test title"}, {kKeywords, "Tåst keywords"}},
         1426004361,
         nullptr},
        {"verapdf_pdfa1b_info.pdf",
         {{kKeywords, "Test keywords"}, {kAppName, "veraPDF Test Builder"}},
         1426004361,
         nullptr},
        {"pypdf_r2-empty-password.pdf",
         {{kAuthor, "cheng"}, {kAppName, "WPS Writer"}},
         1649923221,
         "SourceModified"},
        {"pypdf_r6-empty-password.pdf",
         {{kAuthor, "cheng"}, {kAppName, "WPS Writer"}},
         1649923221,
         "SourceModified"},
        {"qpdf_V4-aes.pdf", {{kPages, "30"}}, 1065819872, nullptr},
        {"qpdf_lin3.pdf", {{kPages, "30"}}, 1065819872, nullptr},
        {"qpdf_hybrid-xref.pdf", {{kPages, "30"}}, 0, nullptr},
        {"qpdf_digitally-signed.pdf", {{kPages, "1"}}, 1569585292, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocProperties props;
        props::CustomProperties custom;
        ASSERT_EQ(document::ReadDocProperties(test::utf8String(test::sampleDocument(c.name)), props,
                                              &custom),
                  props::kSuccess);
        ASSERT_EQ(props.size(), props::kCatalogueSize);
        for (const Field& field : c.fields) {
            EXPECT_EQ(props[field.row].text, field.text) << "row " << field.row;
        }
        EXPECT_EQ(props[kCreated].isTime ? props[kCreated].time : 0,
                  c.created == 0 ? 0 : platform::unixSecondsToFileTime(c.created));
        const bool hasCustom = std::any_of(
            custom.items.begin(), custom.items.end(),
            [&](const props::CustomProperty& p) { return c.customName && p.name == c.customName; });
        EXPECT_EQ(hasCustom, c.customName != nullptr);
    }
}

std::string sampleBytes(const char* name) {
    std::ifstream in(test::sampleDocument(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string codeText(MessageCode code) {
    return "code " + std::to_string(code);
}

// The page count when the file was read, or the code it gave.
std::string pagesOrCode(const std::string& path) {
    DocProperties props;
    const MessageCode code = document::ReadDocProperties(path, props);
    return code == props::kSuccess ? props[kPages].text : codeText(code);
}

TEST(PdfSamplesTest, DamagedFilesAreReadOrGiveACode) {
    const std::string table = sampleBytes("pikepdf_fourpages.pdf");
    const std::string stream = sampleBytes("pypdf_metadata.pdf");
    // Built piece by piece: GCC 12 at -O3 warns falsely about an insert here.
    const std::size_t offsetAt = table.rfind("startxref\n") + 10;
    std::string wrongStartxref = table.substr(0, offsetAt);
    wrongStartxref += '7';
    wrongStartxref += table.substr(offsetAt);
    const std::string cannotOpen = codeText(props::kCannotOpenDocument);
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> allowed;
    } cases[] = {
        {"entry at a wrong offset", sampleBytes("qpdf_bad-xref-entry.pdf"), {"1"}},
        {"startxref past the end", wrongStartxref, {"4", cannotOpen}},
        {"junk before %PDF-", std::string(300, 'J') + table, {"4", cannotOpen}},
        {"cut in the middle",
         stream.substr(0, stream.size() / 2),
         {"1", cannotOpen, codeText(props::kSummaryReadFailed)}},
    };
    test::TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder / "damaged.pdf";
        std::ofstream(test::utf8Path(path), std::ios::binary) << c.bytes;
        const std::string got = pagesOrCode(path);
        EXPECT_NE(std::find(c.allowed.begin(), c.allowed.end(), got), c.allowed.end()) << got;
    }
}

}  // namespace
}  // namespace quorvel::pdf

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "compound_document.h"
#include "document/document_access.h"
#include "io/file_device.h"
#include "platform/codepage.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

namespace quorvel::compound {
namespace {

using namespace testing;

struct CorpusFile {
    std::string path;  // relative to the corpus folder
    bool compound;
    bool hasSummary;
    bool hasDocSummary;
    std::uint32_t summaryCodePage;
    std::uint32_t docSummaryCodePage;
    bool broken() const { return path.starts_with("broken/"); }
};

std::uint32_t codePageColumn(const std::string& column) {
    // No code page, or 0 (the system's own): the users' system code page.
    return column.empty() || !std::isdigit(static_cast<unsigned char>(column[0])) || column == "0"
               ? kDefaultCodePage
               : static_cast<std::uint32_t>(std::stoul(column));
}

std::vector<CorpusFile> corpusFiles(const std::filesystem::path& corpus) {
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    std::vector<CorpusFile> files;
    std::string line;
    std::getline(manifest, line);  // header
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::stringstream fields(line);
        for (std::string column; std::getline(fields, column, '\t');) {
            columns.push_back(column);
        }
        if (columns.size() < 11) {
            continue;
        }
        files.push_back({columns[0], columns[5] == "yes", columns[7] == "yes", columns[8] == "yes",
                         codePageColumn(columns[9]), codePageColumn(columns[10])});
    }
    return files;
}

std::string copyIntoFolder(const std::filesystem::path& corpus, const test::TempFolder& folder,
                           const CorpusFile& file) {
    const std::string copy = folder / std::filesystem::path(file.path).filename().string();
    std::filesystem::copy_file(corpus / file.path, copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return copy;
}

StreamMap streamsOfFile(const std::string& path) {
    std::unique_ptr<io::FileDevice> device;
    io::FileDevice::open(path, io::Access::Read, device);
    return device ? streamsOf(*device) : StreamMap{};
}

std::string bytesOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every stream except the two property sets.
StreamMap withoutPropertySets(StreamMap streams) {
    std::erase_if(streams, [](const auto& entry) {
        return entry.first.starts_with(u"/" + kSummaryName) ||
               entry.first.starts_with(u"/" + kDocSummaryName);
    });
    return streams;
}

std::size_t catalogueRow(std::size_t field) {
    return (field < kSummaryTextFieldCount ? 0 : kSummaryBlockSize) + TextFieldSlots[field];
}

using Corpus = test::CorpusSweep;

TEST_F(Corpus, EveryFileReadsWithTheExpectedOutcome) {
    const std::vector<CorpusFile> files = corpusFiles(corpus());
    ASSERT_GT(files.size(), 100u);
    test::TempFolder folder;
    for (const CorpusFile& file : files) {
        DocProperties props;
        const MessageCode code =
            document::ReadDocProperties(copyIntoFolder(corpus(), folder, file), props);
        if (file.broken()) {
            EXPECT_TRUE(code == kSuccess ||
                        (code >= kNotCompoundFile && code <= kSummaryReadFailed))
                << file.path << " " << int(code);
        } else if (!file.compound) {
            EXPECT_EQ(code, kNotCompoundFile) << file.path;
        } else if (!file.hasSummary) {
            EXPECT_EQ(code, kNoSummary) << file.path;
        } else {
            EXPECT_EQ(code, kSuccess) << file.path;
            EXPECT_EQ(props.size(), file.hasDocSummary ? kCatalogueSize : kSummaryBlockSize)
                << file.path;
        }
        EXPECT_TRUE(props.size() == 0 || props.size() == kSummaryBlockSize ||
                    props.size() == kCatalogueSize);
    }
}

TEST_F(Corpus, WrittenValuesReadBackAndOtherStreamsStayIdentical) {
    document::ForceGenerationProperty = true;
    PropertyWriteRequest request;
    for (std::size_t i = 0; i < kTextFieldCount; ++i) {
        request.fields[i] = {"日本語の値 " + std::to_string(i), 1};
    }
    request.dates = {
        {0x01DA000000000000, 0x01DA100000000000, 0x01DA200000000000, 0x01DA300000000000}};
    test::TempFolder folder;
    for (const CorpusFile& file : corpusFiles(corpus())) {
        const std::string path = copyIntoFolder(corpus(), folder, file);
        DocProperties before;
        if (document::ReadDocProperties(path, before) != kSuccess &&
            !(file.compound && !file.hasSummary && !file.broken())) {
            continue;
        }
        const StreamMap streamsBefore = streamsOfFile(path);
        const std::string bytesBefore = bytesOfFile(path);
        const MessageCode code = document::WriteDocProperties(path, request);
        SCOPED_TRACE(file.path + " code " + std::to_string(code));

        std::string encoded;
        const bool summaryHoldsIt = platform::encodeCodePage(
            file.hasSummary ? file.summaryCodePage : 1200, "日本語の値", encoded);
        const bool docSummaryHoldsIt = platform::encodeCodePage(
            file.hasDocSummary ? file.docSummaryCodePage : 1200, "日本語の値", encoded);
        EXPECT_EQ(withoutPropertySets(streamsOfFile(path)), withoutPropertySets(streamsBefore));
        if (file.broken()) {
            EXPECT_TRUE(code == kSuccess || (code >= kNoSummary && code <= kDocSummaryWriteFailed));
            continue;
        }
        if (!summaryHoldsIt) {
            EXPECT_EQ(code, kSummaryWriteFailed);
            EXPECT_EQ(bytesOfFile(path), bytesBefore);
            continue;
        }
        EXPECT_EQ(code, docSummaryHoldsIt ? kSuccess : kDocSummaryWriteFailed);
        DocProperties after;
        if (document::ReadDocProperties(path, after) != kSuccess ||
            after.size() != kCatalogueSize) {
            ADD_FAILURE() << "not read back";
            continue;
        }
        for (std::size_t i = 0; i < kTextFieldCount; ++i) {
            if (i < kSummaryTextFieldCount || docSummaryHoldsIt) {
                EXPECT_EQ(after[catalogueRow(i)].text, request.fields[i].text) << i;
            }
        }
        for (std::size_t i = 0; i < kDateCount; ++i) {
            const std::size_t row = kFirstDateIndex + i;
            const bool wasTime = before.size() > row && before[row].isTime;
            EXPECT_EQ(after[row].isTime, wasTime) << row;
            EXPECT_EQ(after[row].time, wasTime ? (*request.dates)[i] : 0) << row;
        }
        for (std::size_t row = 0; row < before.size(); ++row) {
            const bool written = (row >= kFirstDateIndex && row < kFirstDateIndex + kDateCount) ||
                                 row == 16 || row == 18 || row == 31 || row < 8;
            if (!written && (row < kSummaryBlockSize || docSummaryHoldsIt)) {
                EXPECT_EQ(after[row].text, before[row].text) << row;
            }
        }
    }
    document::ForceGenerationProperty = false;
}

}  // namespace
}  // namespace quorvel::compound

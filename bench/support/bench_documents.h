// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cfb_builder.h"
#include "compound/property_set_builder.h"
#include "document/document_access.h"
#include "io/file_device.h"

// The documents the reading benchmarks work on.
namespace quorvel::bench {

namespace fs = std::filesystem;

// prefix, number, suffix: appended one by one, which GCC 12's -O3 warnings accept.
inline std::string numbered(std::string_view prefix, std::size_t number,
                            std::string_view suffix = {}) {
    std::string text(prefix);
    text += std::to_string(number);
    text += suffix;
    return text;
}

// The corpus's .doc, .xls and .ppt files that its manifest marks as readable compound files;
// none unless the environment variable QUORVEL_CORPUS_DIR names the corpus folder.
inline std::vector<fs::path> readableCorpusFiles() {
    const char* folder = std::getenv("QUORVEL_CORPUS_DIR");
    if (folder == nullptr || *folder == '\0') {
        return {};
    }
    const fs::path corpus = folder;
    std::ifstream manifest(corpus / "MANIFEST.tsv");
    std::vector<fs::path> files;
    std::string line;
    std::getline(manifest, line);  // the column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) {
            columns.push_back(field);
        }
        const fs::path file = columns.empty() ? fs::path() : corpus / columns[0];
        const std::string kind = file.extension().string();
        if (columns.size() > 5 && columns[5] == "yes" &&
            (kind == ".doc" || kind == ".xls" || kind == ".ppt")) {
            files.push_back(file);
        }
    }
    return files;
}

// The summary of built document `number`, in code page 932 as office programs write it.
inline std::vector<std::byte> builtSummary(unsigned number) {
    namespace ps = compound::testing;
    const std::string title = numbered("\x89\x63\x8b\xc6\x95\xf1\x8d\x90 ", number);
    return ps::summaryStream({{1, ps::i2(932)},
                              {2, ps::string(title)},
                              {4, ps::string("Yamada Taro")},
                              {8, ps::string("Suzuki Hanako")},
                              {9, ps::string("12")},
                              {10, ps::fileTime(72000000000)},
                              {12, ps::fileTime(133500000000000000)},
                              {13, ps::fileTime(133600000000000000)},
                              {14, ps::i4(3)},
                              {15, ps::i4(1200)},
                              {16, ps::i4(5400)},
                              {18, ps::string("Microsoft Office Word")}});
}

inline std::vector<std::byte> builtDocSummary() {
    namespace ps = compound::testing;
    return ps::stream(
        {{compound::FMTID_DocSummaryInformation, ps::section({{1, ps::i2(932)},
                                                              {2, ps::string("Report")},
                                                              {5, ps::i4(40)},
                                                              {6, ps::i4(12)},
                                                              {15, ps::string("Quorvel Ltd.")}})}});
}

// A document as office programs write it: both property sets in the mini stream beside a
// body of `bodyBytes`.
inline std::vector<std::byte> builtDocument(unsigned number, std::size_t bodyBytes) {
    storage::test::TestFilePlan plan;
    plan.streams = {{u"\u0005SummaryInformation", builtSummary(number)},
                    {u"WordDocument", storage::test::patternBytes(bodyBytes, number)},
                    {u"\u0005DocumentSummaryInformation", builtDocSummary()},
                    {u"1Table", storage::test::patternBytes(4200, number + 1)}};
    return storage::test::buildCompoundFile(plan);
}

// A document of `bodyBytes` (50 MB and more in the benchmarks) as a long-edited one lies on
// disk. Its body is a hole, so that the file is sparse and quick to make; then a longer title
// is saved into it, which moves the summary to the end of the file, past the body: reading
// its properties needs sectors scattered from the start of the file to its end.
inline void makeLargeDocument(const fs::path& target, unsigned number, std::uint64_t bodyBytes) {
    std::ofstream(target, std::ios::binary | std::ios::trunc).close();
    {
        std::unique_ptr<io::FileDevice> device;
        if (io::FileDevice::open(target.string(), io::Access::ReadWrite, device) !=
            io::OpenStatus::Ok) {
            return;
        }
        storage::test::TestFilePlan plan;
        plan.streams = {{u"\u0005SummaryInformation", builtSummary(number)},
                        {u"WordDocument", {}, bodyBytes},
                        {u"\u0005DocumentSummaryInformation", builtDocSummary()},
                        {u"1Table", storage::test::patternBytes(4200, number + 1)}};
        storage::test::buildCompoundFile(plan, *device);
    }
    props::PropertyWriteRequest request;
    std::string title(1000, 'T');  // more than the mini stream has room for
    title += std::to_string(number);
    request.fields[0] = {title, 1};
    document::WriteDocProperties(target.string(), request);
}

// `count` documents in `folder`: copies of the readable corpus files in turn, or, without
// a corpus, documents built here in three sizes; the last `large` of them documents of
// 50 MB.
inline std::vector<std::string> makeDocuments(const fs::path& folder, std::size_t count,
                                              std::size_t large = 0) {
    constexpr std::uint64_t kLargeBody = 50ULL << 20;
    fs::create_directories(folder);
    const std::vector<fs::path> corpus = readableCorpusFiles();
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count; ++i) {
        const fs::path source = corpus.empty() ? fs::path(".doc") : corpus[i % corpus.size()];
        const fs::path target = folder / numbered("d", i, source.extension().string());
        if (i + large >= count) {
            makeLargeDocument(folder / numbered("d", i, ".doc"), static_cast<unsigned>(i),
                              kLargeBody);
            paths.push_back((folder / numbered("d", i, ".doc")).string());
            continue;
        }
        if (corpus.empty()) {
            const std::size_t bodies[] = {20'000, 60'000, 200'000};
            const std::vector<std::byte> bytes =
                builtDocument(static_cast<unsigned>(i), bodies[i % 3]);
            std::ofstream(target, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        } else {
            fs::copy_file(source, target, fs::copy_options::overwrite_existing);
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add);
        }
        paths.push_back(target.string());
    }
    return paths;
}

// The documents of a benchmark run: those in the folder QUORVEL_BENCH_DOCUMENTS names (made
// earlier by `bench_read_many --make-documents`), else `count` made in a temporary folder
// that goes with this object.
class BenchDocuments {
  public:
    explicit BenchDocuments(std::size_t count) {
        if (const char* given = std::getenv("QUORVEL_BENCH_DOCUMENTS")) {
            for (const fs::directory_entry& entry : fs::directory_iterator(given)) {
                m_paths.push_back(entry.path().string());
            }
            std::sort(m_paths.begin(), m_paths.end());
            m_paths.resize(std::min(m_paths.size(), count));
            return;
        }
        m_folder = fs::temp_directory_path() /
                   numbered("quorvel-bench-", static_cast<std::size_t>(::getpid()));
        m_paths = makeDocuments(m_folder, count);
    }
    ~BenchDocuments() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    BenchDocuments(const BenchDocuments&) = delete;
    BenchDocuments& operator=(const BenchDocuments&) = delete;

    const std::vector<std::string>& paths() const { return m_paths; }

  private:
    fs::path m_folder;
    std::vector<std::string> m_paths;
};

}  // namespace quorvel::bench

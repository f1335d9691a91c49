// SPDX-License-Identifier: GPL-3.0-or-later
// Durable writes of many documents, one at a time beside several at once, printed side by
// side: the window's batch change of one title over 1,000 documents, quorvel-cli apply of a
// CSV over 1,000 documents, and its dry run over 10,000. The documents are copies of the
// corpus's compound documents (built ones without a corpus), every fourth one a package
// (.docx, .odt) of the test data.
//   bench_write_many --make-documents FOLDER   makes the 10,000 documents and ends
//   bench_write_many [FOLDER]                  measures (documents made in a temporary
//                                              folder when none is given)
// scripts/bench-writes.sh runs it warm and on a simulated share.
#include <chrono>
#include <cstdio>
#include <functional>
#include <sstream>

#include "batch/batch_run.h"
#include "cli/command.h"
#include "journal/files_before.h"
#include "journal/run_journal.h"
#include "platform/file_status.h"
#include "platform/overlapped_writes.h"
#include "support/bench_documents.h"
#include "support/scripted_prompts.h"

namespace {

namespace fs = std::filesystem;
using quorvel::bench::numbered;

constexpr std::size_t kWritten = 1000;
constexpr std::size_t kDryRun = 10000;
constexpr const char* kPackages[] = {"lo_sample.docx", "pydocx_coreprops.docx",
                                     "odfpy_simpletable.odt", "lo_sample.odt"};

std::vector<std::string> makeMix(const fs::path& folder) {
    std::vector<std::string> paths = quorvel::bench::makeDocuments(folder, kDryRun);
    for (std::size_t i = 3; i < paths.size(); i += 4) {
        const fs::path sample = fs::path(QUORVEL_TEST_DATA_DIR) / kPackages[i / 4 % 4];
        fs::remove(paths[i]);
        paths[i] = (folder / numbered("d", i, sample.extension().string())).string();
        fs::copy_file(sample, paths[i], fs::copy_options::overwrite_existing);
        fs::permissions(paths[i], fs::perms::owner_write, fs::perm_options::add);
    }
    return paths;
}

std::vector<std::string> listed(const fs::path& folder) {
    std::vector<std::string> paths;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

double secondsOf(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The batch change of one title, as the window runs it; a file that cannot be written (the
// corpus holds documents without a summary) is answered "yes to all". How many were written.
unsigned batchChange(const std::vector<std::string>& paths, const std::string& title,
                     unsigned threads) {
    quorvel::test::ScriptedPrompts prompts;
    prompts.errorAnswers = {quorvel::ui::ErrorPromptResult::YesToAll};
    const quorvel::batch::DateIncrementSettings increments;
    const auto statusCheck = [](const std::string& path, bool, quorvel::platform::FileTimes*,
                                const std::function<bool()>&) {
        quorvel::platform::FileStatus status;
        quorvel::platform::queryFileStatus(path, status);
        return std::uint8_t{0};
    };
    quorvel::batch::BatchChangeRun run(
        prompts, nullptr, statusCheck, [](const QString&) {}, increments, threads);
    quorvel::batch::BatchSnapshot snapshot;
    snapshot.paths = paths;
    snapshot.fields[0] = {title, 1};
    return run.run(snapshot).properties;
}

// quorvel-cli apply of a CSV giving each file a title of its own.
void applySheet(const std::vector<std::string>& paths, const std::string& title,
                const std::vector<std::string>& options) {
    const fs::path sheet = fs::temp_directory_path() / "quorvel-bench-apply.csv";
    {
        std::ofstream out(sheet, std::ios::binary);
        out << "ファイル名,Title\r\n";
        for (std::size_t i = 0; i < paths.size(); ++i) {
            out << '"' << paths[i] << "\"," << numbered(title, i) << "\r\n";
        }
    }
    quorvel::cli::Arguments args = options;
    args.push_back(sheet.string());
    std::ostringstream out;
    std::ostringstream err;
    // Exit status 1: the corpus holds documents that cannot be written.
    if (quorvel::cli::runApply(args, out, err) > quorvel::cli::kExitFailed) {
        std::fprintf(stderr, "apply: %s\n", err.str().c_str());
    }
    fs::remove(sheet);
}

void printRow(const char* what, double oneByOne, double overlapped) {
    std::printf("| %s | %.2f s | %.2f s | %.1fx |\n", what, oneByOne, overlapped,
                oneByOne / overlapped);
}

// What recording a batch change costs: the run's record before its first write, the marks
// and the results, for the files as read before it.
double journalSeconds(const std::vector<std::string>& paths, const std::string& title) {
    const std::vector<quorvel::journal::FileBefore> files =
        quorvel::journal::readFilesBefore(paths, true);
    quorvel::props::PropertyWriteRequest request;
    request.fields[0] = {title, 1};
    return secondsOf([&] {
        std::vector<std::size_t> entryOf;
        std::string error;
        const auto journal = quorvel::journal::RunJournal::begin(
            quorvel::journal::RunKind::PropertyChange,
            quorvel::journal::requestEntries(
                files, [&request](std::size_t) { return request; }, {}, entryOf),
            error);
        for (std::size_t i = 0; journal && i < entryOf.size(); ++i) {
            if (entryOf[i] != SIZE_MAX) {
                journal->markThrough(entryOf[i]);
                journal->recordResult(entryOf[i], 0);
            }
        }
    });
}

void measure(const std::vector<std::string>& all) {
    const std::vector<std::string> written(all.begin(), all.begin() + kWritten);
    const unsigned threads = quorvel::platform::defaultWriteThreads();
    const auto packages = std::count_if(all.begin(), all.end(), [](const std::string& path) {
        return !path.ends_with(".doc") && !path.ends_with(".xls") && !path.ends_with(".ppt");
    });
    std::printf("%zu documents, %td of them packages (.docx, .odt); %u writes at once\n\n",
                all.size(), packages, threads);
    std::printf("| run | one at a time | overlapped | speed-up |\n|---|---|---|---|\n");
    const unsigned writable = batchChange(written, "warm", 1);  // also warms the cache
    const double overlappedBatch = secondsOf([&] { batchChange(written, "overlapped", threads); });
    printRow("batch change, one title, 1,000 documents",
             secondsOf([&] { batchChange(written, "one by one", 1); }), overlappedBatch);
    printRow("quorvel-cli apply, 1,000 documents", secondsOf([&] {
                 applySheet(written, "one ", {"-j", "1"});
             }),
             secondsOf([&] { applySheet(written, "several ", {}); }));
    applySheet(all, "dry ", {"--dry-run"});  // warms the cache
    printRow("quorvel-cli apply --dry-run, 10,000 documents", secondsOf([&] {
                 applySheet(all, "dry ", {"--dry-run", "-j", "1"});
             }),
             secondsOf([&] { applySheet(all, "dry ", {"--dry-run"}); }));
    const double journal = journalSeconds(written, "journal");
    std::printf(
        "\nThe batch change's record for undo (written before the first file, the marks "
        "and the results): %.3f s, %.1f %% of the overlapped batch change.\n",
        journal, 100 * journal / overlappedBatch);
    std::printf(
        "\n%u of the 1,000 documents written (the others have no summary or do not "
        "open); the dry run writes nothing in either column.\n",
        writable);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--make-documents") {
        makeMix(argv[2]);
        return 0;
    }
    if (argc == 2) {
        measure(listed(argv[1]));
        return 0;
    }
    const fs::path folder =
        fs::temp_directory_path() / numbered("quorvel-bench-writes-", ::getpid());
    measure(makeMix(folder));
    fs::remove_all(folder);
    return 0;
}

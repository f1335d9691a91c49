// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the properties of 2,000 documents: in this process, and with `quorvel-cli read --json`
// beside a plain metadata dump on libgsf (scripts/bench-share.sh adds a simulated share).
//
// Environment (scripts/bench-share.sh sets it up):
//   QUORVEL_GSF_META    the libgsf dump (../shared/tools/gsf_meta); its benchmark is skipped
//                       without it
//   QUORVEL_BENCH_DOCUMENTS  a folder of documents to read instead of making them
// `bench_read_many --make-documents FOLDER [LARGE]` makes the 2,000 documents, the last LARGE
// of them of 50 MB, and ends; `--make-document FILE BYTES` makes one document of a body of
// BYTES.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "document/document_access.h"
#include "platform/ordered_parallel.h"
#include "support/bench_documents.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using quorvel::bench::BenchDocuments;

constexpr std::size_t kDocuments = 2000;

const BenchDocuments& documents() {
    static const BenchDocuments made(kDocuments);
    return made;
}

// Runs a program with its output thrown away; its exit status, or -1 when it did not end
// normally.
int runQuietly(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env = extraEnv;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        env.emplace_back(*variable);
    }
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> out;
        for (std::string& s : strings) {
            out.push_back(s.data());
        }
        out.push_back(nullptr);
        return out;
    };
    std::vector<std::string> argStrings = args;
    std::vector<char*> argv = pointers(argStrings);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// Runs the program once per iteration, after a run that warms the cache. quorvel-cli and the
// dump end with 1 when some file could not be read: the corpus holds such files.
void runEachIteration(benchmark::State& state, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}, bool warmUp = true) {
    if (warmUp && runQuietly(args, env) > 1) {
        state.SkipWithError(("cannot run " + args[0]).c_str());
        return;
    }
    for (auto _ : state) {
        if (const int status = runQuietly(args, env); status < 0 || status > 1) {
            state.SkipWithError(("failed: " + args[0]).c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kDocuments));
}

std::vector<std::string> cliRead(const std::vector<std::string>& options) {
    std::vector<std::string> args = {QUORVEL_CLI, "read", "--json"};
    args.insert(args.end(), options.begin(), options.end());
    args.emplace_back("--");
    args.insert(args.end(), documents().paths().begin(), documents().paths().end());
    return args;
}

void readAll(const std::vector<std::string>& paths, unsigned threads) {
    quorvel::platform::runInOrder(
        paths.size(), threads,
        [&](std::size_t i) {
            quorvel::props::DocProperties props;
            quorvel::document::ReadDocProperties(paths[i], props);
            return props.size();
        },
        [](std::size_t, std::size_t entries) {
            benchmark::DoNotOptimize(entries);
            return true;
        });
}

void BM_ReadDocProperties(benchmark::State& state) {
    const std::vector<std::string>& paths = documents().paths();
    const auto threads = static_cast<unsigned>(state.range(0));
    readAll(paths, threads);  // warms the cache
    for (auto _ : state) {
        readAll(paths, threads);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(paths.size()));
}
BENCHMARK(BM_ReadDocProperties)
    ->Arg(1)
    ->Arg(quorvel::platform::defaultReadThreads())
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_CliReadJson(benchmark::State& state) {
    runEachIteration(state, cliRead({}));
}
BENCHMARK(BM_CliReadJson)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_GsfMetaDump(benchmark::State& state) {
    const char* dump = std::getenv("QUORVEL_GSF_META");
    if (dump == nullptr) {
        state.SkipWithError("QUORVEL_GSF_META names no libgsf dump");
        return;
    }
    const std::string list = fs::temp_directory_path() / "quorvel-bench-gsf-list.txt";
    {
        std::ofstream out(list);
        for (const std::string& path : documents().paths()) {
            out << path << '\n';
        }
    }
    runEachIteration(state, {dump, "@" + list});
    fs::remove(list);
}
BENCHMARK(BM_GsfMetaDump)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::string_view(argv[1]) == "--make-documents") {
        quorvel::bench::makeDocuments(argv[2], kDocuments,
                                      argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 0);
        return 0;
    }
    if (argc == 4 && std::string_view(argv[1]) == "--make-document") {
        quorvel::bench::makeLargeDocument(argv[2], 1, std::strtoull(argv[3], nullptr, 10));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

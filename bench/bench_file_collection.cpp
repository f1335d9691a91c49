// SPDX-License-Identifier: GPL-3.0-or-later
// Gathering a dropped folder tree of 10,000 files: the walk alone, and the walk with every
// file added to the file list and the caption and column refreshed, as a drop does it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "filelist/file_collection.h"
#include "filelist/file_list_ctrl.h"
#include "support/gui_benchmark_main.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;

// A tree of 100 folders of 100 files each, three kinds of file, made once per process.
const fs::path& tree() {
    static const fs::path root = [] {
        const fs::path path =
            fs::temp_directory_path() / ("quorvel_bench_tree_" + std::to_string(::getpid()));
        fs::remove_all(path);
        const char* kinds[] = {".doc", ".xls", ".txt"};
        for (int folder = 0; folder < kFolders; ++folder) {
            const fs::path sub = path / ("folder" + std::to_string(folder)) / "inner";
            fs::create_directories(sub);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                std::ofstream(sub / ("file" + std::to_string(file) + kinds[file % 3]));
            }
        }
        return path;
    }();
    return root;
}

void BM_CollectFolderFiles(benchmark::State& state) {
    const std::string root = tree().string();
    std::size_t found = 0;
    for (auto _ : state) {
        found = quorvel::filelist::CollectFolderFiles(root, "*.*").size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = static_cast<double>(found);
}
BENCHMARK(BM_CollectFolderFiles)->Unit(benchmark::kMillisecond);

void BM_DropFolderOnList(benchmark::State& state) {
    const QString root = QString::fromStdString(tree().string());
    int rows = 0;
    for (auto _ : state) {
        CFileListCtrl list;
        list.show();
        list.AddDroppedItems({root}, QStringLiteral("*.doc;*.xls;*.txt"), true);
        // What the main dialog does once per drop.
        list.RefreshCaption(list.GetMarkedCount());
        list.resizeColumnToContents(0);
        rows = list.topLevelItemCount();
        state.PauseTiming();
        list.hide();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_DropFolderOnList)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::runGuiBenchmarks(argc, argv, tree());
}

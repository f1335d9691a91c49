// SPDX-License-Identifier: GPL-3.0-or-later
// A folder run over a tree of 11,110 folders (four levels of ten): gathering the marked
// folder with all its subfolders, opening every level of the folder tree, and writing the
// times of 1,000 folders.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <QFile>

#include <filesystem>
#include <vector>

#include "folders/folder_time_stamps.h"
#include "folders/folder_tree_ctrl.h"
#include "prompts/prompts.h"
#include "support/gui_benchmark_main.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFanOut = 10;

void makeLevel(const fs::path& folder, int depth) {
    for (int index = 0; index < kFanOut; ++index) {
        const fs::path sub = folder / ("folder" + std::to_string(index));
        fs::create_directory(sub);
        if (depth > 1) {
            makeLevel(sub, depth - 1);
        }
    }
}

// Made once per process.
const fs::path& tree() {
    static const fs::path root = [] {
        const fs::path path =
            fs::temp_directory_path() / ("quorvel_bench_folders_" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directory(path);
        makeLevel(path, 4);
        return path;
    }();
    return root;
}

// Every prompt would be a failure here; none is expected.
class NoPrompts final : public quorvel::ui::Prompts {
  public:
    quorvel::ui::PromptAnswer message(QWidget*, const QString&, const QString&,
                                      quorvel::ui::PromptButtons,
                                      quorvel::ui::PromptIcon) override {
        return quorvel::ui::PromptAnswer::Abort;
    }
    quorvel::ui::ErrorPromptResult errorPrompt(QWidget*, const QString&) override {
        return quorvel::ui::ErrorPromptResult::No;
    }
    quorvel::ui::FileDialogResult openFiles(QWidget*, const QString&, const QString&,
                                            const QStringList&) override {
        return {};
    }
    quorvel::ui::FileDialogResult saveFile(QWidget*, const QString&, const QString&,
                                           const QStringList&) override {
        return {};
    }
    QString existingFolder(QWidget*, const QString&, const QString&) override { return {}; }
    int execDialog(QDialog&) override { return 0; }
};

void BM_CollectSubfolders(benchmark::State& state) {
    const std::string root = tree().string();
    for (auto _ : state) {
        MarkedFolderSet set;
        FolderIdentitySet visited;
        CollectSubfolders(root, set, visited);
        benchmark::DoNotOptimize(set.size());
    }
}
BENCHMARK(BM_CollectSubfolders)->Unit(benchmark::kMillisecond);

void BM_OpenEveryLevelOfTheTree(benchmark::State& state) {
    const std::string root = tree().string();
    for (auto _ : state) {
        CFolderTreeCtrl folderTree;
        QTreeWidgetItem* top =
            folderTree.InsertFolderItem(QFile::decodeName(root.c_str()), root, nullptr,
                                        quorvel::platform::folderIdentity(root));
        folderTree.InsertSubfolders(top);
        // Open every folder in turn, as a user would, each one loading two levels ahead.
        std::size_t opened = 0;
        std::vector<QTreeWidgetItem*> pending{top};
        while (!pending.empty()) {
            QTreeWidgetItem* item = pending.back();
            pending.pop_back();
            item->setExpanded(true);
            ++opened;
            for (int index = 0; index < item->childCount(); ++index) {
                pending.push_back(item->child(index));
            }
        }
        if (opened != 11'111) {
            state.SkipWithError("the tree did not load every folder");
        }
    }
}
BENCHMARK(BM_OpenEveryLevelOfTheTree)->Unit(benchmark::kMillisecond);

void BM_ChangeThousandFolders(benchmark::State& state) {
    MarkedFolderSet set;
    for (int first = 0; first < kFanOut; ++first) {
        for (int second = 0; second < kFanOut; ++second) {
            for (int third = 0; third < kFanOut; ++third) {
                const fs::path folder = tree() / ("folder" + std::to_string(first)) /
                                        ("folder" + std::to_string(second)) /
                                        ("folder" + std::to_string(third));
                set.emplace(folder.string(), nullptr);
            }
        }
    }
    NoPrompts prompts;
    CFolderTimeStamps stamps(prompts, nullptr);
    const FolderTimes times{1'600'000'000, 1'600'000'100, 1'600'000'200};
    for (auto _ : state) {
        benchmark::DoNotOptimize(stamps.ChangeFolders(set, times, {}).processed);
    }
}
BENCHMARK(BM_ChangeThousandFolders)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::runGuiBenchmarks(argc, argv, tree());
}

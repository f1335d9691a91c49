// SPDX-License-Identifier: GPL-3.0-or-later
// The window's export of 1,000 listed documents: from the menu command to the export dialog,
// the time in which every file is read. scripts/bench-share.sh runs it again with the latency
// shim preloaded (1 ms per file-system call), as on a network share; QUORVEL_BENCH_DOCUMENTS
// then names documents made beforehand, so that making them is not slowed down as well.
#include <benchmark/benchmark.h>
#include <QAction>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>

#include "filelist/file_list_ctrl.h"
#include "res/control_ids.h"
#include "support/bench_documents.h"
#include "support/gui_benchmark_main.h"
#include "support/scripted_prompts.h"
#include "ui/quorvel_dlg.h"

namespace {

constexpr std::size_t kDocuments = 1000;
constexpr int kExportCommand = MenuCommand::OutputToFile;

void BM_OutputToFileUntilDialog(benchmark::State& state) {
    const quorvel::bench::BenchDocuments documents(kDocuments);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    quorvel::test::ScriptedPrompts prompts;
    CQuorvelDlg dialog(prompts);
    dialog.show();
    for (const std::string& path : documents.paths()) {
        dialog.fileList().AddFile(QString::fromStdString(path));
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point dialogShown;
    bool dialogOpened = false;
    for (auto _ : state) {
        // Files that cannot be read are asked about: go on with the others.
        prompts.errorAnswers = {quorvel::ui::ErrorPromptResult::YesToAll};
        prompts.dialogScripts = {[&](QDialog&) {
            dialogShown = Clock::now();
            dialogOpened = true;
            return int{QDialog::Rejected};
        }};
        dialogOpened = false;
        const Clock::time_point command = Clock::now();
        dialog.control<QAction>(kExportCommand)->trigger();
        if (!dialogOpened) {
            state.SkipWithError("the export dialog did not open");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(dialogShown - command).count());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kDocuments));
}
BENCHMARK(BM_OutputToFileUntilDialog)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::runGuiBenchmarks(argc, argv, {});
}

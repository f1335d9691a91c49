// SPDX-License-Identifier: GPL-3.0-or-later
#include "prompts/run_journal_prompt.h"

namespace quorvel::ui {
namespace {

void reportJournalFailure(Prompts& prompts, QWidget* owner, const QString& detail,
                          const QString& outcome) {
    prompts.message(owner,
                    QStringLiteral("元に戻すための記録を保存できません。\n") + detail +
                        QStringLiteral("\n") + outcome,
                    QStringLiteral("エラーメッセージ"), PromptButtons::Ok, PromptIcon::Exclamation);
}

}  // namespace

bool StartRunJournal(Prompts& prompts, QWidget* owner, journal::RunKind kind,
                     const std::vector<journal::JournalEntry>& entries,
                     std::unique_ptr<journal::RunJournal>& journal) {
    std::string error;
    journal = journal::RunJournal::begin(kind, entries, error);
    if (error.empty()) {
        return true;
    }
    reportJournalFailure(prompts, owner, QString::fromStdString(error),
                         QStringLiteral("どのファイルも変更していません。"));
    return false;
}

bool MarkWritten(Prompts& prompts, QWidget* owner, journal::RunJournal* journal,
                 std::size_t entry) {
    if (journal == nullptr || journal->markThrough(entry)) {
        return true;
    }
    ReportMarkFailure(prompts, owner, *journal);
    return false;
}

void ReportMarkFailure(Prompts& prompts, QWidget* owner, const journal::RunJournal& journal) {
    reportJournalFailure(prompts, owner, QString::fromStdString(journal.folder()),
                         QStringLiteral("ここで処理を中止しました。"));
}

}  // namespace quorvel::ui

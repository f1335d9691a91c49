// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders/folder_time_stamps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "journal/undo_run.h"
#include "stat_times.h"
#include "support/environment.h"
#include "support/error_codes.h"
#include "support/scripted_prompts.h"
#include "support/temp_folder.h"
#include "support/time_zone_scope.h"

namespace {

using quorvel::batch::DateIncrementSettings;
using quorvel::batch::IncrementMode;
using quorvel::test::ScriptedPrompts;
using quorvel::test::StatTimes;
using quorvel::test::statTimes;
using quorvel::test::TempFolder;
using quorvel::ui::PromptAnswer;
using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kT = 1'600'000'000;  // 2020-09-13 21:26:40 JST

// Scripted prompts that also run an action while a message is up (the user fixing things).
class PromptsWithAction final : public quorvel::ui::Prompts {
  public:
    ScriptedPrompts scripted;
    std::function<void()> onMessage;

    PromptAnswer message(QWidget* owner, const QString& text, const QString& caption,
                         PromptButtons buttons, PromptIcon icon) override {
        if (onMessage) {
            onMessage();
        }
        return scripted.message(owner, text, caption, buttons, icon);
    }
    quorvel::ui::ErrorPromptResult errorPrompt(QWidget* owner, const QString& text) override {
        return scripted.errorPrompt(owner, text);
    }
    quorvel::ui::FileDialogResult openFiles(QWidget* owner, const QString& title,
                                            const QString& folder,
                                            const QStringList& filters) override {
        return scripted.openFiles(owner, title, folder, filters);
    }
    quorvel::ui::FileDialogResult saveFile(QWidget* owner, const QString& title,
                                           const QString& path,
                                           const QStringList& filters) override {
        return scripted.saveFile(owner, title, path, filters);
    }
    QString existingFolder(QWidget* owner, const QString& title, const QString& folder) override {
        return scripted.existingFolder(owner, title, folder);
    }
    int execDialog(QDialog& dialog) override { return scripted.execDialog(dialog); }
};

class FolderTimeStampsTest : public ::testing::Test {
  protected:
    FolderTimeStampsTest() {
        for (const char* name : {"a", "b", "c"}) {
            set.emplace(temp.makeFolder(name), nullptr);
        }
        quorvel::test::setEnvironment("QUORVEL_JOURNAL_DIR", temp / "journal");
    }

    std::string folder(const char* name) const { return temp / name; }

    TempFolder temp;
    PromptsWithAction prompts;
    CFolderTimeStamps stamps{prompts, nullptr};
    MarkedFolderSet set;
    quorvel::batch::DateIncrementSettings increments;
    const FolderTimes first{kT, kT + 100, kT + 200};
};

TEST_F(FolderTimeStampsTest, AddModeStepsEachTimeByItsOwnSlotInPathOrder) {
    increments.mode = quorvel::batch::IncrementMode::Add;
    increments.increment = {kDay, 7 * kDay, 3600, 60};
    const FolderRunCounts counts = stamps.ChangeFolders(set, first, increments);
    EXPECT_EQ(counts.processed, 3U);
    quorvel::platform::CreationTimeWrite creation{};
    ASSERT_EQ(stamps.SetFolderTimes(temp.makeFolder("probe"), first, creation),
              FolderOpResult::Done);
    const bool storable = creation == quorvel::platform::CreationTimeWrite::Written;
    EXPECT_EQ(counts.creationKept, storable ? 0U : 3U);
    EXPECT_TRUE(prompts.scripted.shown.empty());
    EXPECT_EQ(statTimes(folder("a")), (StatTimes{kT + 100, kT + 200}));
    EXPECT_EQ(statTimes(folder("b")), (StatTimes{kT + 100 + 3600, kT + 200 + 60}));
    EXPECT_EQ(statTimes(folder("c")), (StatTimes{kT + 100 + 7200, kT + 200 + 120}));
}

TEST_F(FolderTimeStampsTest, ZeroIncrementsGiveEveryFolderThePickersTimesInEveryMode) {
    for (const auto mode :
         {quorvel::batch::IncrementMode::Add, quorvel::batch::IncrementMode::Subtract,
          quorvel::batch::IncrementMode::Random}) {
        increments.mode = mode;
        EXPECT_EQ(stamps.ChangeFolders(set, first, increments).processed, 3U);
        for (const char* name : {"a", "b", "c"}) {
            EXPECT_EQ(statTimes(folder(name)), (StatTimes{kT + 100, kT + 200})) << name;
        }
    }
}

TEST_F(FolderTimeStampsTest, PromptAnswersDecideWhatHappensToAFolderThatIsGone) {
    struct Case {
        const char* name;
        std::vector<PromptAnswer> answers;
        unsigned processed;
        std::size_t prompts;
        StatTimes thirdFolder;  // the folder after the one that is gone
    };
    const StatTimes untouched{1, 2};
    const Case cases[] = {
        // Ignore: the dates step on past the skipped folder.
        {"ignore", {PromptAnswer::Ignore}, 2, 1, {kT + 100 + 2 * 3600, kT + 200 + 2 * 60}},
        {"retry, then ignore",
         {PromptAnswer::Retry, PromptAnswer::Ignore},
         2,
         2,
         {kT + 100 + 2 * 3600, kT + 200 + 2 * 60}},
        {"abort", {PromptAnswer::Abort}, 1, 1, untouched},
        {"closed otherwise means retry", {PromptAnswer::Ok, PromptAnswer::Abort}, 1, 2, untouched},
    };
    increments.mode = quorvel::batch::IncrementMode::Add;
    increments.increment = {0, 0, 3600, 60};
    std::filesystem::remove(folder("b"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(quorvel::test::setStatTimes(folder("c"), 1, 2));
        prompts.scripted.shown.clear();
        prompts.scripted.messageAnswers.assign(c.answers.begin(), c.answers.end());

        EXPECT_EQ(stamps.ChangeFolders(set, first, increments).processed, c.processed);
        ASSERT_EQ(prompts.scripted.shown.size(), c.prompts);
        EXPECT_EQ(statTimes(folder("c")), c.thirdFolder);
        const auto& prompt = prompts.scripted.shown.front();
        EXPECT_EQ(prompt.caption, "エラーメッセージ");
        EXPECT_EQ(prompt.buttons, PromptButtons::AbortRetryIgnore);
        EXPECT_EQ(prompt.icon, PromptIcon::Exclamation);
        EXPECT_EQ(prompt.text,
                  QString::fromUtf8(
                      quorvel::platform::systemError(quorvel::test::kNoSuchFileError).text) +
                      "\n\nフォルダ名：" + QString::fromStdString(folder("b")) +
                      "\nExplorer等でこのフォルダを開いている状態であれば、それを閉じてください。");
    }
}

TEST_F(FolderTimeStampsTest, AbortOnTheFirstFolderChangesNothing) {
    std::filesystem::remove(folder("a"));
    const StatTimes before = statTimes(folder("b"));
    prompts.scripted.messageAnswers = {PromptAnswer::Abort};
    EXPECT_EQ(stamps.ChangeFolders(set, first, increments).processed, 0U);
    EXPECT_EQ(statTimes(folder("b")), before);
}

TEST_F(FolderTimeStampsTest, RetrySucceedsOnceTheFolderIsBack) {
    std::filesystem::remove(folder("b"));
    prompts.onMessage = [&] { temp.makeFolder("b"); };
    prompts.scripted.messageAnswers = {PromptAnswer::Retry};
    EXPECT_EQ(stamps.ChangeFolders(set, first, increments).processed, 3U);
    EXPECT_EQ(prompts.scripted.shown.size(), 1U);
    EXPECT_EQ(statTimes(folder("b")), (StatTimes{kT + 100, kT + 200}));
}

TEST_F(FolderTimeStampsTest, ReadsTheTimesThatWereWritten) {
    quorvel::platform::CreationTimeWrite creation{};
    ASSERT_EQ(stamps.SetFolderTimes(folder("a"), first, creation), FolderOpResult::Done);
    FolderTimes read;
    ASSERT_EQ(stamps.ReadFolderTimes(folder("a"), read), FolderOpResult::Done);
    EXPECT_EQ(read.access, first.access);
    EXPECT_EQ(read.modification, first.modification);

    FolderTimes untouched{1, 2, 3};
    prompts.scripted.messageAnswers = {PromptAnswer::Ignore};
    EXPECT_EQ(stamps.ReadFolderTimes(temp / "missing", untouched), FolderOpResult::Skip);
    EXPECT_EQ(untouched.creation, 1);
    EXPECT_EQ(untouched.modification, 3);
}

TEST(FolderTimeToTimeValue, TimesBefore1900InLocalTimeBecomeZero) {
    struct Case {
        std::int64_t folderTime;
        std::int64_t timeValue;
    };
    quorvel::test::useTimeZone("Asia/Tokyo");
    // In Tokyo (UTC+9): 1900-01-01 00:00 local is 1899-12-31 15:00 UTC.
    constexpr std::int64_t k1900Local = -2'208'988'800 - 9 * 3600;
    const Case cases[] = {
        {kT, kT},
        {0, 0},
        {-1, -1},
        {k1900Local, k1900Local},
        {k1900Local - 1, 0},
        {-11'644'473'600, 0},  // 1601, the start of file times
    };
    for (const auto& c : cases) {
        std::int64_t value = 42;
        EXPECT_TRUE(FolderTimeToTimeValue(c.folderTime, value)) << c.folderTime;
        EXPECT_EQ(value, c.timeValue) << c.folderTime;
    }
}

}  // namespace

// A run is recorded before its first folder: its undo puts every time back; a run that cannot
// be recorded changes nothing.
TEST_F(FolderTimeStampsTest, ARunIsRecordedFirstAndItsUndoPutsTheTimesBack) {
    const StatTimes before = statTimes(folder("b"));
    ASSERT_EQ(stamps.ChangeFolders(set, first, increments).processed, 3U);
    const auto runs = quorvel::journal::listRuns();
    ASSERT_EQ(runs.size(), 1U);
    EXPECT_EQ(runs[0].kind, quorvel::journal::RunKind::FolderTimes);
    EXPECT_EQ(runs[0].written, 3U);
    quorvel::journal::RecordedRun run;
    std::string error;
    ASSERT_TRUE(quorvel::journal::loadRun(runs[0].folder, run, error)) << error;
    for (const std::size_t row : quorvel::journal::rowsToRestore(run)) {
        const auto restore = quorvel::journal::previewRestore(run, row, false);
        ASSERT_TRUE(restore.changes.ignored.empty()) << restore.changes.ignored[0].reason;
        bool creationKept = false;
        ASSERT_TRUE(quorvel::journal::restoreFolderTimes(
            run.before.rows[row].path, quorvel::csv::timesToSet(restore), creationKept, error));
    }
    EXPECT_EQ(statTimes(folder("b")).modification, before.modification);

    std::ofstream(temp / "not-a-folder") << "x";
    quorvel::test::setEnvironment("QUORVEL_JOURNAL_DIR", temp / "not-a-folder");
    EXPECT_EQ(stamps.ChangeFolders(set, first, increments).processed, 0U);
    ASSERT_EQ(prompts.scripted.shown.size(), 1U);
    EXPECT_TRUE(prompts.scripted.shown[0].text.startsWith("元に戻すための記録を保存できません。"));
    EXPECT_EQ(statTimes(folder("b")).modification, before.modification);
}

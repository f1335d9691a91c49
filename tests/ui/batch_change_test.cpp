// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <map>

#include "batch/batch_run.h"
#include "batch/date_increment.h"
#include "document/document_access.h"
#include "export/csv_format.h"
#include "filelist/file_list_ctrl.h"
#include "journal/undo_run.h"
#include "platform/creation_time.h"
#include "platform/local_time.h"
#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/disk_times.h"
#include "support/environment.h"
#include "support/shown_path.h"
#include "support/temp_folder.h"
#include "support/test_data.h"
#include "support/time_zone_scope.h"
#include "ui/picker_time.h"

namespace quorvel::test {
namespace {

using ui::ErrorPromptResult;
using ui::PromptAnswer;
using ui::PromptIcon;

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kBase = 1'300'000'000;  // 2011-03-13 07:06:40 UTC

// Radio buttons of the time-stamp modes and of the increment modes.
constexpr int kNoChange = MainControl::NoChangeRadio;
constexpr int kAlsoTimeStamps = MainControl::AlsoTimeStampsRadio;
constexpr int kTimeStampsOnly = MainControl::TimeStampsOnlyRadio;
constexpr int kKeepTimeStamps = MainControl::KeepTimeStampsRadio;
constexpr int kAdd = IncrementControl::AddRadio;
constexpr int kSubtract = IncrementControl::SubtractRadio;

struct StampsOnDisk {
    std::int64_t access = 0;
    std::int64_t modification = 0;
};

StampsOnDisk stampsOf(const std::string& path) {
    const std::optional<DiskTimes> times = diskTimes(path);
    EXPECT_TRUE(times) << path;
    return times ? StampsOnDisk{times->access.seconds, times->modification.seconds}
                 : StampsOnDisk{};
}

// Whether the file system of the file can store a creation time that is set.
bool creationTimeStorable(const std::string& path) {
    platform::CreationTimeWrite result{};
    platform::SystemError error;
    return platform::setCreationTime(path, 1'000'000'000, result, error) &&
           result == platform::CreationTimeWrite::Written;
}

void makeReadOnly(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
}

class BatchChange : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        requireSampleDocuments({"libscan_japanese.doc"});
        openDialog();
    }

    std::string plainFile(const std::string& name) const { return m_folder.makeFile(name); }
    // A writable copy of a real document with both property sets, code page 932.
    std::string sampleDocument(const std::string& name) const {
        return copyOfSampleDocument("libscan_japanese.doc", m_folder / name);
    }

    void listAndMark(const std::vector<std::string>& paths) const {
        for (const std::string& path : paths) {
            dialog->fileList().AddFile(QString::fromStdString(path));
        }
        dialog->fileList().SetAllRowsMark(true);
    }
    void click(int id) const { dialog->control<QAbstractButton>(id)->click(); }
    void tick(int id) const { dialog->control<QCheckBox>(id)->setChecked(true); }
    void setPicker(int id, std::int64_t seconds) const {
        ASSERT_TRUE(ui::setPickerSeconds(*dialog->control<QDateTimeEdit>(id), seconds));
    }
    void setFileTimePickers(std::int64_t seconds) const {
        for (const int id : {MainControl::FileCreatedPicker, MainControl::FileAccessedPicker,
                             MainControl::FileModifiedPicker}) {
            setPicker(id, seconds);
        }
    }
    // Sets the increments through the date-increment dialog: slot -> days, hours, minutes.
    void setIncrements(int modeButton,
                       const std::map<int, std::array<const char*, 3>>& numbersBySlot) {
        static constexpr int kFirstField[] = {
            IncrementControl::EditAccessDays, IncrementControl::PrintedDays,
            IncrementControl::CreatedDays, IncrementControl::LastSavedDays};
        prompts.dialogScripts.push_back([&](QDialog& d) {
            d.findChild<QAbstractButton*>(QString::number(modeButton))->click();
            for (const auto& [slot, numbers] : numbersBySlot) {
                for (int unit = 0; unit < 3; ++unit) {
                    d.findChild<QLineEdit*>(QString::number(kFirstField[slot] + unit * 2))
                        ->setText(QString::fromLatin1(numbers[unit]));
                }
            }
            d.findChild<QPushButton*>(idName(IncrementControl::Ok))->click();
            return d.result();
        });
        dialog->control<QAction>(MenuCommand::DateIncrementSetting)->trigger();
        prompts.shown.clear();
    }
    void runBatch() const { click(MainControl::BatchChange); }

    std::vector<ShownPrompt> shownOfKind(const QString& kind) const {
        std::vector<ShownPrompt> found;
        for (const ShownPrompt& shown : prompts.shown) {
            if (shown.kind == kind) {
                found.push_back(shown);
            }
        }
        return found;
    }
    QString summaryText() const {
        for (const ShownPrompt& shown : prompts.shown) {
            if (shown.caption == QStringLiteral("処理完了メッセージ")) {
                EXPECT_EQ(shown.icon, PromptIcon::Information);
                return shown.text;
            }
        }
        return {};
    }
    static QString summary(unsigned n, unsigned p, unsigned t) {
        return QStringLiteral(
                   "選択したファイル数：%1\nプロパティを変更処理したファイル数：%2\n"
                   "TimeStampを変更したファイル数：%3")
            .arg(n)
            .arg(p)
            .arg(t);
    }

    TempFolder m_folder;
};

TEST_F(BatchChange, WithoutMarkedRowsOnlyAsksForFiles) {
    dialog->fileList().AddFile(QString::fromStdString(plainFile("a.doc")));
    runBatch();
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("変更したいファイルを選択してください。"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
}

TEST_F(BatchChange, NoChangeWithNothingTickedStopsAtTheFirstFileWithASummary) {
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
        files.push_back(plainFile("f" + std::to_string(i) + ".doc"));
    }
    listAndMark(files);
    click(kNoChange);
    runBatch();
    ASSERT_EQ(prompts.shown.size(), 2U);
    EXPECT_EQ(prompts.shown[0].text, QStringLiteral("変更したいプロパティのを選択してください。"));
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(summaryText(), summary(5, 0, 0));
}

TEST_F(BatchChange, TimeStampsOnlyStepsTheTimesOfTheFilesItSets) {
    struct Case {
        int incrementMode;
        PromptAnswer readOnlyAnswer;
        std::int64_t thirdModification;  // the second file is read-only
        unsigned stamped;
    };
    const Case cases[] = {
        {kAdd, PromptAnswer::No, kBase + kDay, 2},
        {kAdd, PromptAnswer::Yes, kBase + 2 * kDay, 3},
        {kSubtract, PromptAnswer::No, kBase - kDay, 2},
        {kSubtract, PromptAnswer::Yes, kBase - 2 * kDay, 3},
    };
    setIncrements(kAdd, {{0, {"0", "0", "1"}}, {2, {"0", "2", "0"}}, {3, {"1", "0", "0"}}});
    for (const Case& c : cases) {
        setIncrements(c.incrementMode, {});
        const std::vector<std::string> files = {plainFile("a.txt"), plainFile("b.txt"),
                                                plainFile("c.txt")};
        makeReadOnly(files[1]);
        const StampsOnDisk before = stampsOf(files[1]);
        dialog->fileList().ClearAllRows();
        listAndMark(files);
        click(kTimeStampsOnly);
        setFileTimePickers(kBase);
        prompts.shown.clear();
        prompts.messageAnswers = {c.readOnlyAnswer};
        runBatch();

        const std::int64_t sign = c.incrementMode == kAdd ? 1 : -1;
        EXPECT_EQ(stampsOf(files[0]).modification, kBase);
        EXPECT_EQ(stampsOf(files[0]).access, kBase);
        EXPECT_EQ(stampsOf(files[2]).modification, c.thirdModification);
        EXPECT_EQ(stampsOf(files[2]).access, kBase + sign * (c.stamped - 1) * 7'200);
        if (c.readOnlyAnswer == PromptAnswer::No) {
            EXPECT_EQ(stampsOf(files[1]).modification, before.modification);
        } else {
            EXPECT_EQ(stampsOf(files[1]).modification, kBase + sign * kDay);
        }
        EXPECT_EQ(summaryText(), summary(3, 0, c.stamped));
        const std::vector<ShownPrompt> messages = shownOfKind(QStringLiteral("message"));
        if (creationTimeStorable(plainFile("probe.txt"))) {
            EXPECT_EQ(messages.size(), 2U) << "read-only question, summary";
        } else {
            ASSERT_EQ(messages.size(), 3U) << "read-only question, summary, creation notice";
            EXPECT_EQ(messages[2].text,
                      QStringLiteral(
                          "このファイルシステムでは作成日時を変更できないため、%1個のファイルの"
                          "作成日時は変更されていません。")
                          .arg(c.stamped));
            EXPECT_EQ(messages[2].caption, QStringLiteral("メッセージ"));
        }
        std::filesystem::permissions(files[1], std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        for (const std::string& file : files) {
            std::filesystem::remove(file);
        }
    }
}

TEST_F(BatchChange, FailedWritesAskAndEveryAnswerIsObeyed) {
    struct Case {
        std::vector<ErrorPromptResult> answers;
        std::size_t prompts;
        unsigned stamped;
    };
    const Case cases[] = {
        {{ErrorPromptResult::Yes, ErrorPromptResult::Yes, ErrorPromptResult::Yes,
          ErrorPromptResult::Yes},
         4,
         4},
        {{ErrorPromptResult::Yes, ErrorPromptResult::YesToAll}, 2, 4},
        {{ErrorPromptResult::YesToAll}, 1, 4},
        {{ErrorPromptResult::Yes, ErrorPromptResult::No}, 2, 1},
        {{ErrorPromptResult::No}, 1, 0},
    };
    const std::vector<std::string> files = {plainFile("1.doc"), plainFile("2.doc"),
                                            plainFile("3.doc"), plainFile("4.doc")};
    const props::MessageCode failure = document::WriteDocProperties(plainFile("probe.doc"), {});
    EXPECT_EQ(failure, props::kNotCompoundFile);
    listAndMark(files);
    click(kAlsoTimeStamps);
    tick(MainControl::TitleChange);
    setFileTimePickers(kBase);
    for (const Case& c : cases) {
        prompts.shown.clear();
        prompts.errorAnswers = {c.answers.begin(), c.answers.end()};
        runBatch();
        const std::vector<ShownPrompt> asked = shownOfKind(QStringLiteral("errorPrompt"));
        ASSERT_EQ(asked.size(), c.prompts);
        EXPECT_EQ(asked[0].text,
                  QStringLiteral("  ") + shownPath(files[0]) +
                      QStringLiteral(
                          "のプロパティの処理中に、次のエラーが発生しました。継続しますか\n  ") +
                      QString::fromUtf8(props::messageCodeText(failure)));
        EXPECT_EQ(summaryText(), summary(4, 0, c.stamped));
    }
}

TEST_F(BatchChange, SkippedRowsStepThePropertyDatesButNotTheFileTimes) {
    const std::vector<std::string> files = {sampleDocument("1.doc"), sampleDocument("2.doc"),
                                            sampleDocument("3.doc")};
    makeReadOnly(files[0]);
    listAndMark(files);
    setIncrements(kAdd, {{3, {"1", "0", "0"}}});
    click(kAlsoTimeStamps);
    setFileTimePickers(kBase);
    setPicker(MainControl::LastSavedPicker, kBase);
    tick(MainControl::LastSavedChange);
    prompts.messageAnswers = {PromptAnswer::No};
    runBatch();

    for (std::size_t row = 1; row < 3; ++row) {
        props::DocProperties properties;
        ASSERT_EQ(document::ReadDocProperties(files[row], properties), props::kSuccess);
        ASSERT_GT(properties.size(), 11U);
        EXPECT_EQ(properties[11].time, platform::unixSecondsToFileTime(kBase + row * kDay));
        EXPECT_EQ(stampsOf(files[row]).modification, kBase + (row - 1) * kDay);
    }
    EXPECT_EQ(summaryText(), summary(3, 2, 2));
    EXPECT_EQ(dialog->control<QLabel>(MainControl::ProgressText)->text(),
              QStringLiteral("処理完了(ﾌﾟﾛﾊﾟﾃｨ)：2/3"));
    EXPECT_FALSE(dialog->control<QLabel>(MainControl::ProgressText)->isEnabled());
}

TEST_F(BatchChange, DocumentSummaryFieldsAreWrittenOnlyWhileTheirBoxesAreEnabled) {
    for (const bool enabled : {false, true}) {
        const std::string file = sampleDocument(enabled ? "on.doc" : "off.doc");
        dialog->fileList().ClearAllRows();
        listAndMark({file});
        click(kNoChange);
        dialog->control<QLineEdit>(MainControl::TitleEdit)->setText(QStringLiteral("新しい題"));
        dialog->control<QLineEdit>(MainControl::CompanyEdit)->setText(QStringLiteral("NewCo"));
        tick(MainControl::TitleChange);
        tick(MainControl::CompanyChange);
        dialog->control<QCheckBox>(MainControl::CategoryChange)->setEnabled(enabled);
        runBatch();
        props::DocProperties properties;
        ASSERT_EQ(document::ReadDocProperties(file, properties), props::kSuccess);
        ASSERT_EQ(properties.size(), props::kCatalogueSize);
        EXPECT_EQ(properties[0].text, "新しい題");
        EXPECT_EQ(properties[31].text == "NewCo", enabled);
    }
}

// Packages are rewritten into a new file; their times come back all the same.
TEST_F(BatchChange, KeepTimeStampsPutsTheOldTimesBack) {
    const std::vector<std::string> files = {
        sampleDocument("keep.doc"),
        copyOfSampleDocument("pydocx_coreprops.docx", m_folder / "keep.docx"),
        copyOfSampleDocument("odfpy_simpletable.odt", m_folder / "keep.odt")};
    for (const std::string& file : files) {
        ASSERT_TRUE(setDiskTimes(file, {{kBase}, {kBase + 60}}));
    }
    listAndMark(files);
    click(kKeepTimeStamps);
    tick(MainControl::TitleChange);
    dialog->control<QLineEdit>(MainControl::TitleEdit)->setText(QStringLiteral("保たれた時刻"));
    runBatch();
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        EXPECT_EQ(stampsOf(file).access, kBase);
        EXPECT_EQ(stampsOf(file).modification, kBase + 60);
        props::DocProperties properties;
        ASSERT_EQ(document::ReadDocProperties(file, properties), props::kSuccess);
        EXPECT_EQ(properties[0].text, "保たれた時刻");
    }
    EXPECT_EQ(summaryText(), summary(3, 3, 0));
    EXPECT_EQ(shownOfKind(QStringLiteral("message")).size(), 1U) << "no creation notice";
}

TEST_F(BatchChange, TimeStampsLandOnThePickersValueAcrossDaylightSaving) {
    QUORVEL_SKIP_UNLESS_TIME_ZONE("Europe/Berlin");
    const TimeZoneScope berlin("Europe/Berlin");
    const std::string file = plainFile("dst.txt");
    listAndMark({file});
    click(kTimeStampsOnly);
    for (const std::int64_t moment : {std::int64_t{1'310'000'000}, std::int64_t{1'330'000'000}}) {
        setFileTimePickers(moment);  // one summer, one winter moment
        runBatch();
        EXPECT_EQ(stampsOf(file).modification, moment);
        EXPECT_EQ(stampsOf(file).access, moment);
    }
}

TEST_F(BatchChange, RandomStepsDrawForEachTimeThenEachDateInOrder) {
    const std::vector<std::string> files = {plainFile("r1.txt"), plainFile("r2.txt"),
                                            plainFile("r3.txt")};
    listAndMark(files);
    setIncrements(kAdd, {{0, {"0", "0", "5"}}, {2, {"0", "3", "0"}}, {3, {"2", "0", "0"}}});
    click(kTimeStampsOnly);
    prompts.dialogScripts.push_back([](QDialog& d) {
        d.findChild<QAbstractButton*>(idName(IncrementControl::RandomRadio))->click();
        d.findChild<QPushButton*>(idName(IncrementControl::Cancel))->click();
        return d.result();
    });
    dialog->control<QAction>(MenuCommand::DateIncrementSetting)->trigger();
    setFileTimePickers(kBase);
    setPicker(MainControl::LastSavedPicker, kBase);
    tick(MainControl::LastSavedChange);

    quorvel::batch::RuntimeRandom expected = quorvel::batch::dateStepRandom();
    runBatch();
    std::int64_t creation = kBase;
    std::int64_t access = kBase;
    std::int64_t modification = kBase;
    std::int64_t lastSaved = kBase;
    for (const std::string& file : files) {
        EXPECT_EQ(stampsOf(file).access, access);
        EXPECT_EQ(stampsOf(file).modification, modification);
        quorvel::batch::StepDate(quorvel::batch::IncrementMode::Random, kBase, creation, 300,
                                 expected);
        quorvel::batch::StepDate(quorvel::batch::IncrementMode::Random, kBase, access, 10'800,
                                 expected);
        quorvel::batch::StepDate(quorvel::batch::IncrementMode::Random, kBase, modification,
                                 2 * kDay, expected);
        quorvel::batch::StepDate(quorvel::batch::IncrementMode::Random, kBase, lastSaved, 2 * kDay,
                                 expected);
    }
    EXPECT_EQ(expected.next(), quorvel::batch::dateStepRandom().next());
}

// Prepared user-defined changes alone make a run that writes: with nothing ticked, every marked
// document is written and counted, without the question for a ticked field.
TEST_F(BatchChange, UserDefinedChangesAloneRunTheBatch) {
    listAndMark({sampleDocument("c1.doc"), sampleDocument("c2.doc")});
    click(kNoChange);
    prompts.dialogScripts.push_back([](QDialog& window) {
        window.findChild<QLineEdit*>(idName(CustomPropertiesControl::NameEdit))
            ->setText(QStringLiteral("部署"));
        window.findChild<QLineEdit*>(idName(CustomPropertiesControl::ValueEdit))
            ->setText(QStringLiteral("営業"));
        window.findChild<QPushButton*>(idName(CustomPropertiesControl::Set))->click();
        window.findChild<QPushButton*>(idName(CustomPropertiesControl::Ok))->click();
        return window.result();
    });
    click(MainControl::CustomProperties);
    prompts.shown.clear();
    runBatch();
    EXPECT_EQ(summaryText(), summary(2, 2, 0));
    EXPECT_EQ(shownOfKind(QStringLiteral("message")).size(), 1U) << "the summary alone";
}

// Each file's write request carries the prepared changes beside the ticked fields; a run
// with neither writes nothing.
TEST_F(BatchChange, EveryWriteRequestCarriesThePreparedUserDefinedChanges) {
    const std::vector<props::CustomEdit> edits = {{"部署", props::CustomType::Text, "営業", false},
                                                  {"件数", props::CustomType::Integer, "", true}};
    const struct {
        bool titleTicked;
        std::vector<props::CustomEdit> edits;
    } cases[] = {{false, edits}, {true, edits}, {true, {}}, {false, {}}};
    const std::vector<std::string> files = {sampleDocument("r1.doc"), sampleDocument("r2.doc")};
    const batch::DateIncrementSettings increments;
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, props::PropertyWriteRequest>> written;
        batch::BatchChangeRun run(
            prompts, nullptr,
            [](const std::string&, bool, platform::FileTimes*, const std::function<bool()>&) {
                return std::uint8_t{0};
            },
            [](const QString&) {}, increments, 1,
            [&written](const std::string& path, const props::PropertyWriteRequest& request) {
                written.emplace_back(path, request);
                return props::kSuccess;
            });
        batch::BatchSnapshot snapshot;
        snapshot.paths = files;
        snapshot.fields[0] = {"題", c.titleTicked ? 1 : 0};
        snapshot.customEdits = c.edits;
        run.run(snapshot);
        const bool writes = c.titleTicked || !c.edits.empty();
        ASSERT_EQ(written.size(), writes ? files.size() : 0U);
        for (std::size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(written[i].first, files[i]);
            EXPECT_EQ(written[i].second.fields[0].change, c.titleTicked ? 1 : 0);
            ASSERT_EQ(written[i].second.customEdits.size(), c.edits.size());
            for (std::size_t k = 0; k < c.edits.size(); ++k) {
                EXPECT_EQ(written[i].second.customEdits[k].name, c.edits[k].name);
                EXPECT_EQ(written[i].second.customEdits[k].value, c.edits[k].value);
                EXPECT_EQ(written[i].second.customEdits[k].remove, c.edits[k].remove);
            }
        }
    }
}

// The value of a column in a row of a recorded run's sheet.
std::string sheetValue(const csv::ApplySheet& sheet, std::size_t row, std::string_view column) {
    for (std::size_t i = 0; i < sheet.columns.size(); ++i) {
        if (sheet.columns[i].name == column) {
            return sheet.rows.at(row).values.at(i);
        }
    }
    ADD_FAILURE() << "no column " << column;
    return {};
}

// A PDF given a field it has no place for is written without it (code 163, faked here): the
// file is reported, not counted as changed, keeps its times even when the run stops there, and
// the journal records only what it got.
TEST_F(BatchChange, APdfWrittenWithoutATickedFieldIsReportedAndRecordedAsWritten) {
    requireSampleDocuments({"pikepdf_fourpages.pdf"});
    setEnvironment("QUORVEL_JOURNAL_DIR", m_folder / "journal");
    const batch::DateIncrementSettings increments;
    for (const ErrorPromptResult answer : {ErrorPromptResult::No, ErrorPromptResult::Yes}) {
        SCOPED_TRACE(static_cast<int>(answer));
        const std::string tag = answer == ErrorPromptResult::No ? "stop" : "go";
        const std::vector<std::string> files = {
            copyOfSampleDocument("pikepdf_fourpages.pdf", m_folder / (tag + ".pdf")),
            sampleDocument(tag + ".doc")};
        for (const std::string& file : files) {
            ASSERT_TRUE(setDiskTimes(file, {{kBase}, {kBase + 60}}));
        }
        batch::BatchChangeRun run(
            prompts, nullptr,
            [](const std::string&, bool, platform::FileTimes*, const std::function<bool()>&) {
                return std::uint8_t{0};
            },
            [](const QString&) {}, increments, 1,
            [](const std::string& path, const props::PropertyWriteRequest& request) {
                if (!path.ends_with(".pdf")) {
                    return document::WriteDocProperties(path, request);
                }
                EXPECT_TRUE(setDiskTimes(path, {{kBase + kDay}, {kBase + kDay}}));
                return props::kPdfFieldWithoutPlace;
            });
        batch::BatchSnapshot snapshot;
        snapshot.paths = files;
        snapshot.mode = batch::TimeStampMode::KeepTimeStamps;
        snapshot.fields[0] = {"題", 1};
        snapshot.fields[4] = {"注釈", 1};  // comments: no place in a PDF
        prompts.shown.clear();
        prompts.errorAnswers = {answer};
        const batch::BatchCounts counts = run.run(snapshot);

        const std::vector<ShownPrompt> asked = shownOfKind(QStringLiteral("errorPrompt"));
        ASSERT_EQ(asked.size(), 1U);
        EXPECT_TRUE(asked[0].text.contains(QString::fromStdString(files[0])));
        EXPECT_TRUE(asked[0].text.endsWith(
            QString::fromUtf8(props::messageCodeText(props::kPdfFieldWithoutPlace))));
        EXPECT_EQ(counts.properties, answer == ErrorPromptResult::No ? 0U : 1U);
        EXPECT_EQ(stampsOf(files[0]).modification, kBase + 60);

        journal::RecordedRun recorded;
        std::string error;
        ASSERT_EQ(journal::listRuns().size(), answer == ErrorPromptResult::No ? 1U : 2U);
        ASSERT_TRUE(journal::loadRun(journal::listRuns().front().folder, recorded, error)) << error;
        EXPECT_EQ(sheetValue(recorded.after, 0, "Title"), "題");
        EXPECT_EQ(sheetValue(recorded.after, 0, "Comment"), "") << "the PDF keeps no comment";
        EXPECT_EQ(sheetValue(recorded.after, 1, "Comment"), "注釈");
        EXPECT_TRUE(recorded.written[0]);
        EXPECT_EQ(recorded.modifiedAfter[0], std::optional<std::int64_t>(kBase + 60));
    }
}

// Needs the PDF writer. Through the window: the PDF is written without the comment it has no
// place for and says so; the document beside it gets everything.
TEST_F(BatchChange, APdfAmongTheMarkedFilesGetsTheFieldsItHasAPlaceFor) {
    requireSampleDocuments({"pikepdf_fourpages.pdf"});
    const std::string doc = sampleDocument("with.doc");
    const std::string pdf = copyOfSampleDocument("pikepdf_fourpages.pdf", m_folder / "with.pdf");
    listAndMark({doc, pdf});
    click(kNoChange);
    dialog->control<QLineEdit>(MainControl::TitleEdit)->setText(QStringLiteral("一括の題"));
    dialog->control<QLineEdit>(MainControl::CommentsEdit)->setText(QStringLiteral("注釈"));
    tick(MainControl::TitleChange);
    tick(MainControl::CommentsChange);
    prompts.errorAnswers = {ErrorPromptResult::Yes};
    runBatch();
    const std::vector<ShownPrompt> asked = shownOfKind(QStringLiteral("errorPrompt"));
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_TRUE(asked[0].text.contains(shownPath(pdf)));
    EXPECT_TRUE(asked[0].text.endsWith(
        QString::fromUtf8(props::messageCodeText(props::kPdfFieldWithoutPlace))));
    EXPECT_EQ(summaryText(), summary(2, 1, 0));
    for (const std::string& file : {doc, pdf}) {
        props::DocProperties properties;
        ASSERT_EQ(document::ReadDocProperties(file, properties), props::kSuccess);
        EXPECT_EQ(properties[0].text, "一括の題") << file;
        EXPECT_EQ(properties[4].text, file == doc ? "注釈" : "") << file;
    }
}

// The files as an export shows them, the access times left out (reading moves them).
std::string exportWithoutAccessTimes(const std::vector<std::string>& files) {
    std::vector<csv::ExportRecord> records;
    for (const std::string& file : files) {
        csv::ExportRecord record{file, {}, {}, {}};
        platform::FileStatus status;
        EXPECT_EQ(document::ReadDocProperties(file, record.properties), props::kSuccess);
        EXPECT_TRUE(platform::queryFileStatus(file, status));
        record.times = status.times;
        record.times.accessed = 0;
        records.push_back(std::move(record));
    }
    return csv::formatCsv(records, csv::CsvEncoding::Utf8);
}

// A batch change is recorded before its first write; undone through the window's list of runs
// and its preview, the files show in an export what they showed before it.
TEST_F(BatchChange, UndoThroughTheWindowBringsBackWhatAnExportShowedBefore) {
    setEnvironment("QUORVEL_JOURNAL_DIR", m_folder / "journal");
    const std::vector<std::string> files = {sampleDocument("u1.doc"), sampleDocument("u2.doc")};
    for (const std::string& file : files) {  // an hour ago: the write moves it
        std::filesystem::last_write_time(
            file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
    const std::string before = exportWithoutAccessTimes(files);
    listAndMark(files);
    click(kNoChange);
    dialog->control<QLineEdit>(MainControl::TitleEdit)->setText(QStringLiteral("一括の題"));
    tick(MainControl::TitleChange);
    runBatch();
    ASSERT_NE(exportWithoutAccessTimes(files), before);

    QStringList listed;
    prompts.dialogScripts.push_back([&listed](QDialog& runs) {
        const auto* list = runs.findChild<QTreeWidget*>(idName(UndoRunsControl::Runs));
        for (int column = 1; column < list->columnCount(); ++column) {
            listed << list->topLevelItem(0)->text(column);
        }
        QTest::mouseClick(runs.findChild<QPushButton*>(idName(UndoRunsControl::Undo)),
                          Qt::LeftButton);
        return runs.result();
    });
    QString counts;
    prompts.dialogScripts.push_back([&counts](QDialog& preview) {
        counts = preview.findChild<QLabel*>(idName(ApplyPreviewControl::Counts))->text();
        QTest::mouseClick(preview.findChild<QPushButton*>(idName(ApplyPreviewControl::Apply)),
                          Qt::LeftButton);
        return preview.result();
    });
    prompts.shown.clear();
    dialog->control<QAction>(MenuCommand::UndoRun)->trigger();
    EXPECT_EQ(listed, (QStringList{"プロパティの変更", "2"}));
    // Title and the modification time, on Windows also the access time the batch moved.
    EXPECT_TRUE(counts.startsWith("変更するファイル：2　変更する項目：")) << counts.toStdString();
    EXPECT_EQ(summaryText(), summary(2, 2, 2));
    EXPECT_EQ(exportWithoutAccessTimes(files), before);
}

}  // namespace
}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "document/document_access.h"
#include "filelist/file_list_ctrl.h"
#include "platform/local_time.h"
#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/disk_times.h"
#include "support/shown_path.h"
#include "support/test_data.h"
#include "support/time_zone_scope.h"
#include "ui/picker_time.h"

namespace quorvel::test {
namespace {

using ui::PromptAnswer;

constexpr int kDatePickers[] = {MainControl::EditTimePicker, MainControl::LastPrintedPicker,
                                MainControl::CreatedPicker, MainControl::LastSavedPicker};
constexpr int kDateBoxes[] = {MainControl::EditTimeChange, MainControl::LastPrintedChange,
                              MainControl::CreatedChange, MainControl::LastSavedChange};
constexpr int kDateLabels[] = {MainControl::EditTimeLabel, MainControl::LastPrintedLabel,
                               MainControl::CreatedLabel, MainControl::LastSavedLabel};

const QString kUsableTip =
    QStringLiteral("内容を変更したい時、右側のチェックボックスをチェックしてください");
const QString kUnusableTip = QStringLiteral("無効な日時の為、表示/変更とも不可");

class PropertyDisplay : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        requireSampleDocuments(
            {"libscan_japanese.doc", "poi_WORKBOOK_in_capitals.xls", "fmtcorpus_lorem-ipsum.doc"});
    }

    // A private copy of a sample document, so that its bits and times can be changed.
    QString copyOf(const char* sample) {
        const QString target = m_dir.filePath(QString::fromUtf8(sample));
        copyOfSampleDocument(sample, target.toStdString());
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        return target;
    }

    void show(const QString& path) {
        CFileListCtrl& list = dialog->fileList();
        int row = list.AddFile(path);
        for (int listed = 0; row < 0 && listed < list.topLevelItemCount(); ++listed) {
            row = list.RowPath(listed) == test::shownPath(path) ? listed : row;
        }
        ASSERT_GE(row, 0) << path.toStdString();
        list.clearSelection();
        list.topLevelItem(row)->setSelected(true);
        dialog->control<QPushButton>(MainControl::ShowFile)->click();
    }

    static props::DocProperties read(const QString& path) {
        props::DocProperties record;
        EXPECT_EQ(document::ReadDocProperties(path.toStdString(), record), 0);
        return record;
    }

    QString text(int id) { return dialog->control<QLineEdit>(id)->text(); }
    QCheckBox* box(int id) { return dialog->control<QCheckBox>(id); }

    QTemporaryDir m_dir;
};

// Every field shows the record entry of its place in the display order.
TEST_F(PropertyDisplay, FieldsShowTheirPropertiesInDisplayOrder) {
    const TimeZoneScope tz("Asia/Tokyo");
    openDialog();
    const QString path = copyOf("libscan_japanese.doc");
    const props::DocProperties record = read(path);
    ASSERT_EQ(record.size(), props::kCatalogueSize);
    show(path);
    EXPECT_TRUE(prompts.shown.empty());
    int textId = MainControl::TitleEdit;
    int date = 0;
    for (std::size_t index : props::kDisplayOrder) {
        if (index >= props::kFirstDateIndex && index < props::kFirstDateIndex + props::kDateCount) {
            auto* picker = dialog->control<QDateTimeEdit>(kDatePickers[date]);
            EXPECT_EQ(picker->isEnabled(), record[index].isTime) << index;
            if (record[index].isTime) {
                QDateTimeEdit expected;
                ui::setUpPicker(expected, picker->displayFormat());
                ui::setPickerSeconds(expected, platform::fileTimeToUnixSeconds(record[index].time));
                EXPECT_EQ(picker->dateTime(), expected.dateTime()) << index;
            }
            ++date;
        } else {
            EXPECT_EQ(text(textId), QString::fromStdString(record[index].text)) << index;
            EXPECT_TRUE(dialog->control<QLineEdit>(textId)->isEnabled());
            ++textId;
        }
    }
    EXPECT_EQ(dialog->control<QDateTimeEdit>(MainControl::EditTimePicker)->text(),
              QStringLiteral("1601/01/01 10:04:00"))
        << "an edit time of 64 minutes shows as a moment in 1601, local time";
    EXPECT_TRUE(dialog->fileList().hasFocus() || !dialog->isActiveWindow());
}

TEST_F(PropertyDisplay, MissingDocumentSummaryDisablesItsFourFields) {
    openDialog();
    const QString summaryOnly = copyOf("poi_WORKBOOK_in_capitals.xls");
    const QString both = copyOf("libscan_japanese.doc");
    ASSERT_EQ(read(summaryOnly).size(), props::kSummaryBlockSize);
    for (int id : {MainControl::TitleChange, MainControl::AppNameChange,
                   MainControl::CategoryChange, MainControl::CompanyChange}) {
        box(id)->setChecked(true);
    }
    show(summaryOnly);
    for (int id : {MainControl::CategoryEdit, MainControl::CompanyEdit, MainControl::LineCountEdit,
                   MainControl::ParagraphCountEdit}) {
        EXPECT_TRUE(text(id).isEmpty()) << id;
        EXPECT_FALSE(dialog->control<QLineEdit>(id)->isEnabled()) << id;
    }
    for (int id : {MainControl::CategoryChange, MainControl::CompanyChange}) {
        EXPECT_FALSE(box(id)->isEnabled()) << id;
        EXPECT_FALSE(box(id)->isChecked()) << id;
    }
    EXPECT_TRUE(box(MainControl::TitleChange)->isChecked()) << "ticks of usable fields survive";
    EXPECT_TRUE(box(MainControl::AppNameChange)->isChecked());
    EXPECT_TRUE(dialog->control<QLineEdit>(MainControl::PageCountEdit)->isEnabled());

    show(both);
    for (int id : {MainControl::CategoryEdit, MainControl::CompanyEdit, MainControl::LineCountEdit,
                   MainControl::ParagraphCountEdit}) {
        EXPECT_TRUE(dialog->control<QLineEdit>(id)->isEnabled()) << id;
    }
    for (int id : {MainControl::CategoryChange, MainControl::CompanyChange}) {
        EXPECT_TRUE(box(id)->isEnabled()) << id;
        EXPECT_FALSE(box(id)->isChecked()) << id;
    }
}

// A PDF shows the fields it has a place for; the others show as a missing second set does.
TEST_F(PropertyDisplay, PdfLeavesTheFieldsItHasNoPlaceForEmptyAndDisabled) {
    requireSampleDocuments({"pikepdf_fourpages.pdf"});
    openDialog();
    const QString pdf = copyOf("pikepdf_fourpages.pdf");
    const QString both = copyOf("libscan_japanese.doc");
    show(both);
    for (int k = 0; k < 11; ++k) {
        box(MainControl::TitleChange + k)->setChecked(true);
    }
    for (int id : kDateBoxes) {
        box(id)->setChecked(true);
    }
    show(pdf);
    ASSERT_TRUE(prompts.shown.empty());
    const struct {
        int edit;
        int change;         // 0: a count, without a box
        const char* shown;  // nullptr: no place in a PDF
    } rows[] = {
        {MainControl::TitleEdit, MainControl::TitleChange, "untitled"},
        {MainControl::SubjectEdit, MainControl::SubjectChange, "unspecified"},
        {MainControl::AuthorEdit, MainControl::AuthorChange, "anonymous"},
        {MainControl::KeywordsEdit, MainControl::KeywordsChange, ""},
        {MainControl::CommentsEdit, MainControl::CommentsChange, nullptr},
        {MainControl::TemplateEdit, MainControl::TemplateChange, nullptr},
        {MainControl::LastAuthorEdit, MainControl::LastAuthorChange, nullptr},
        {MainControl::RevisionEdit, MainControl::RevisionChange, nullptr},
        {MainControl::AppNameEdit, MainControl::AppNameChange,
         "ReportLab PDF Library - www.reportlab.com"},
        {MainControl::CategoryEdit, MainControl::CategoryChange, nullptr},
        {MainControl::CompanyEdit, MainControl::CompanyChange, ""},
        {MainControl::PageCountEdit, 0, "4"},
        {MainControl::WordCountEdit, 0, nullptr},
        {MainControl::CharCountEdit, 0, nullptr},
        {MainControl::LineCountEdit, 0, nullptr},
        {MainControl::ParagraphCountEdit, 0, nullptr},
    };
    for (const auto& row : rows) {
        const bool held = row.shown != nullptr;
        EXPECT_EQ(text(row.edit), QString::fromUtf8(held ? row.shown : "")) << row.edit;
        EXPECT_EQ(dialog->control<QLineEdit>(row.edit)->isEnabled(), held) << row.edit;
        if (row.change != 0) {
            EXPECT_EQ(box(row.change)->isEnabled(), held) << row.change;
            EXPECT_EQ(box(row.change)->isChecked(), held) << "only ticks without a place go";
        }
    }
    for (int d = 0; d < 4; ++d) {
        const bool held = d >= 2;  // created and last saved
        EXPECT_EQ(dialog->control<QDateTimeEdit>(kDatePickers[d])->isEnabled(), held) << d;
        EXPECT_EQ(box(kDateBoxes[d])->isChecked(), held) << d;
    }

    show(both);
    for (const auto& row : rows) {
        EXPECT_TRUE(dialog->control<QLineEdit>(row.edit)->isEnabled()) << row.edit;
    }
}

TEST_F(PropertyDisplay, UnusableDatesAreDisabledWithTheirReason) {
    openDialog();
    const QString allDates = copyOf("libscan_japanese.doc");
    const QString noLastPrinted = copyOf("fmtcorpus_lorem-ipsum.doc");
    const props::DocProperties record = read(noLastPrinted);
    ASSERT_FALSE(record[props::kFirstDateIndex + 1].isTime);
    ASSERT_TRUE(record[props::kFirstDateIndex].isTime &&
                record[props::kFirstDateIndex + 2].isTime &&
                record[props::kFirstDateIndex + 3].isTime);

    show(allDates);
    const QDateTime lastPrinted =
        dialog->control<QDateTimeEdit>(MainControl::LastPrintedPicker)->dateTime();
    for (int box : kDateBoxes) {
        dialog->control<QCheckBox>(box)->setChecked(true);
    }
    show(noLastPrinted);
    for (int d = 0; d < 4; ++d) {
        const bool usable = d != 1;
        EXPECT_EQ(dialog->control<QDateTimeEdit>(kDatePickers[d])->isEnabled(), usable) << d;
        EXPECT_EQ(box(kDateBoxes[d])->isEnabled(), usable) << d;
        EXPECT_EQ(box(kDateBoxes[d])->isChecked(), usable) << d;
        EXPECT_EQ(dialog->control<QLineEdit>(kDateLabels[d])->toolTip(),
                  usable ? kUsableTip : kUnusableTip)
            << d;
    }
    EXPECT_EQ(dialog->control<QDateTimeEdit>(MainControl::LastPrintedPicker)->dateTime(),
              lastPrinted)
        << "kept";

    show(allDates);
    EXPECT_TRUE(box(MainControl::LastPrintedChange)->isEnabled());
    EXPECT_FALSE(box(MainControl::LastPrintedChange)->isChecked());
    EXPECT_EQ(dialog->control<QLineEdit>(MainControl::LastPrintedLabel)->toolTip(), kUsableTip);
}

TEST_F(PropertyDisplay, FailuresKeepTheFieldsAndExplainThemselves) {
    openDialog();
    const QString path = copyOf("libscan_japanese.doc");
    show(path);
    const QString title = text(MainControl::TitleEdit);
    const QString missing = m_dir.filePath(QStringLiteral("消えた.doc"));
    show(missing);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(
        prompts.shown[0].text,
        shownPath(missing) + QStringLiteral("のプロパティの処理中に、次のエラーが発生しました。\n"
                                            "ファイルが見つかりません。"));
    EXPECT_EQ(prompts.shown[0].caption, QCoreApplication::applicationName());
    EXPECT_EQ(prompts.shown[0].icon, ui::PromptIcon::None);
    EXPECT_EQ(text(MainControl::TitleEdit), title);

    const QString notCompound = m_dir.filePath(QStringLiteral("text.doc"));
    QFile file(notCompound);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("plain text, not a compound file");
    file.close();
    show(notCompound);
    ASSERT_EQ(prompts.shown.size(), 2U);
    EXPECT_TRUE(prompts.shown[1].text.endsWith(QStringLiteral("合成ファイルが見つかりません。")));
    EXPECT_EQ(text(MainControl::TitleEdit), title);
}

TEST_F(PropertyDisplay, DeclinedReadOnlyFileShowsOnlyItsTimes) {
    openDialog();
    const QString writable = copyOf("libscan_japanese.doc");
    const QString readOnly = copyOf("poi_WORKBOOK_in_capitals.xls");
    show(writable);
    const QString title = text(MainControl::TitleEdit);
    ASSERT_EQ(chmod(readOnly.toLocal8Bit().constData(), 0444), 0);
    ASSERT_TRUE(test::setDiskTimes(readOnly.toStdString(), {{1'000'000'000}, {1'100'000'000}}));

    prompts.messageAnswers.push_back(PromptAnswer::No);
    show(readOnly);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(text(MainControl::TitleEdit), title) << "the display stops";
    std::int64_t modified = 0;
    ASSERT_TRUE(ui::pickerSeconds(*dialog->control<QDateTimeEdit>(MainControl::FileModifiedPicker),
                                  modified));
    EXPECT_EQ(modified, 1'100'000'000);

    prompts.messageAnswers.push_back(PromptAnswer::Yes);
    show(readOnly);
    EXPECT_EQ(prompts.shown.size(), 2U);
    EXPECT_FALSE(dialog->control<QLineEdit>(MainControl::CategoryEdit)->isEnabled()) << "now shown";
}

TEST_F(PropertyDisplay, FirstSelectedRowIsShownAndMarkLinkedDisplayFollowsTheSelection) {
    openDialog();
    const QString first = copyOf("poi_WORKBOOK_in_capitals.xls");
    const QString second = copyOf("libscan_japanese.doc");
    CFileListCtrl& list = dialog->fileList();
    list.AddFile(first);
    list.AddFile(second);
    list.topLevelItem(1)->setSelected(true);
    list.topLevelItem(0)->setSelected(true);
    dialog->control<QPushButton>(MainControl::ShowFile)->click();
    EXPECT_FALSE(dialog->control<QLineEdit>(MainControl::CategoryEdit)->isEnabled())
        << "row 0 shown";

    dialog->control<QCheckBox>(MainControl::MarkLinkedDisplay)->click();
    list.clearSelection();
    list.setFocus();
    list.setCurrentItem(list.topLevelItem(0));
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_TRUE(dialog->control<QLineEdit>(MainControl::CategoryEdit)->isEnabled())
        << "row 1 shown";
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_FALSE(dialog->control<QLineEdit>(MainControl::CategoryEdit)->isEnabled())
        << "row 0 shown";
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PropertyDisplay, NoSelectionChangesNothing) {
    openDialog();
    dialog->fileList().AddFile(copyOf("libscan_japanese.doc"));
    dialog->control<QLineEdit>(MainControl::TitleEdit)->setText(QStringLiteral("kept"));
    dialog->control<QPushButton>(MainControl::ShowFile)->click();
    EXPECT_EQ(text(MainControl::TitleEdit), QStringLiteral("kept"));
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace quorvel::test

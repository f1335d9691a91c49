// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>

#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/disk_times.h"
#include "support/utf8_path.h"
#include "ui/picker_time.h"

namespace quorvel::test {
namespace {

using platform::FileTimes;
using ui::PromptAnswer;
using ui::PromptButtons;
using ui::PromptIcon;

constexpr std::int64_t kAccessed = 1'600'000'000;
constexpr std::int64_t kModified = 1'500'000'000;

class FileStatusCheck : public DialogFixture {
  protected:
    std::string makeFile(const char* name, bool readOnly) {
        const std::string path = QDir(m_dir.path()).filePath(QString::fromUtf8(name)).toStdString();
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        EXPECT_TRUE(setDiskTimes(path, {{kAccessed, 250'000'000}, {kModified, 750'000'000}}));
        if (readOnly) {
            std::filesystem::permissions(utf8Path(path), writeBits,
                                         std::filesystem::perm_options::remove);
        }
        return path;
    }

    static bool writable(const std::string& path) {
        return (std::filesystem::status(utf8Path(path)).permissions() & writeBits) !=
               std::filesystem::perms::none;
    }

    static constexpr auto writeBits = std::filesystem::perms::owner_write |
                                      std::filesystem::perms::group_write |
                                      std::filesystem::perms::others_write;

    std::int64_t pickerValue(int id) {
        std::int64_t seconds = 0;
        EXPECT_TRUE(ui::pickerSeconds(*dialog->control<QDateTimeEdit>(id), seconds));
        return seconds;
    }

    QTemporaryDir m_dir;
};

TEST_F(FileStatusCheck, WritableFileGoesOnAndFillsThePickers) {
    CQuorvelDlg& dlg = openDialog();
    const std::string path = makeFile("plain.doc", false);
    EXPECT_EQ(dlg.CheckFileStatus(path, false, nullptr), 0);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(pickerValue(MainControl::FileAccessedPicker), kAccessed);
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), kModified);
}

TEST_F(FileStatusCheck, MissingFileGoesOnSilently) {
    CQuorvelDlg& dlg = openDialog();
    ui::setPickerSeconds(*dlg.control<QDateTimeEdit>(MainControl::FileModifiedPicker), 1000);
    FileTimes times{1, 2, 3, false};
    EXPECT_EQ(dlg.CheckFileStatus("/nonexistent/x.doc", false, &times), 0);
    EXPECT_EQ(dlg.CheckFileStatus("/nonexistent/x.doc", false, nullptr), 0);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(times.accessed, 2);
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), 1000);
}

TEST_F(FileStatusCheck, ReadOnlyPromptAnsweredBothWays) {
    CQuorvelDlg& dlg = openDialog();
    const std::string path = makeFile("読込専用.doc", true);

    prompts.messageAnswers.push_back(PromptAnswer::No);
    FileTimes times;
    EXPECT_EQ(dlg.CheckFileStatus(path, false, &times), 1);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown[0].text,
              QString::fromStdString(path) +
                  QStringLiteral("は読込み専用となっています。読込み専用属性を変更しますか?\n"
                                 "変更しない場合、プロパティの表示と変更ともできません。"));
    EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("エラーメッセージ"));
    EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(times.modified, kModified) << "times are handed over even when declined";
    EXPECT_FALSE(writable(path));

    prompts.messageAnswers.push_back(PromptAnswer::Yes);
    EXPECT_EQ(dlg.CheckFileStatus(path, true, nullptr), 0);
    EXPECT_TRUE(writable(path));
    const std::optional<DiskTimes> onDisk = diskTimes(path);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->modification, DiskMoment{kModified})
        << "the status write keeps whole seconds";
    EXPECT_EQ(onDisk->access.seconds, kAccessed);
}

TEST_F(FileStatusCheck, SkipTimesLeavesThePickersAlone) {
    CQuorvelDlg& dlg = openDialog();
    const std::string path = makeFile("skip.doc", false);
    ui::setPickerSeconds(*dlg.control<QDateTimeEdit>(MainControl::FileModifiedPicker), 1000);
    EXPECT_EQ(dlg.CheckFileStatus(path, true, nullptr), 0);
    EXPECT_EQ(pickerValue(MainControl::FileModifiedPicker), 1000);
}

}  // namespace
}  // namespace quorvel::test

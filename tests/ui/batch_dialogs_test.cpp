// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "res/control_ids.h"
#include "support/scripted_prompts.h"
#include "ui/date_increment_dlg.h"
#include "ui/error_prompt_dlg.h"
#include "ui/spin_button.h"

using quorvel::batch::IncrementMode;
using quorvel::test::ScriptedPrompts;
using quorvel::ui::ErrorPromptResult;
using quorvel::ui::PromptIcon;

namespace {

template <typename T>
T* control(QWidget& dialog, int id) {
    auto* found = dialog.findChild<T*>(QString::number(id));
    EXPECT_NE(found, nullptr) << id;
    return found;
}

// Runs the prompt and reacts to it once it is shown; returns its answer.
ErrorPromptResult answerPrompt(const std::function<void(CErrorPromptDlg&)>& react) {
    CErrorPromptDlg dialog(QStringLiteral("  a.docの...\n  ファイルが見つかりません。"),
                           PromptIcon::Exclamation);
    QTimer::singleShot(0, &dialog, [&] { react(dialog); });
    dialog.exec();
    return dialog.answer();
}

TEST(ErrorPrompt, KeysAndButtonsGiveTheirAnswers) {
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }),
              ErrorPromptResult::Yes);
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
              ErrorPromptResult::No);
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) {
                  control<QPushButton>(d, ErrorPromptControl::Yes)->click();
              }),
              ErrorPromptResult::Yes);
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) {
                  control<QPushButton>(d, ErrorPromptControl::YesToAll)->click();
              }),
              ErrorPromptResult::YesToAll);
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) {
                  control<QPushButton>(d, ErrorPromptControl::No)->click();
              }),
              ErrorPromptResult::No);
    EXPECT_EQ(answerPrompt([](CErrorPromptDlg& d) { d.close(); }), ErrorPromptResult::No);
}

TEST(ErrorPrompt, ShowsCaptionIconAndWrappedText) {
    const QString text = QStringLiteral("  /very/long/path/") + QString(200, QChar(u'x')) +
                         QStringLiteral(".docの処理中\n  エラー");
    CErrorPromptDlg dialog(text, PromptIcon::Exclamation);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("エラーメッセージ"));
    EXPECT_EQ(control<QLabel>(dialog, ErrorPromptControl::Message)->text(), text);
    EXPECT_TRUE(control<QLabel>(dialog, ErrorPromptControl::Message)->wordWrap());
    EXPECT_FALSE(control<QLabel>(dialog, ErrorPromptControl::Icon)->pixmap().isNull());
    EXPECT_EQ(control<QPushButton>(dialog, ErrorPromptControl::YesToAll)->text(),
              QStringLiteral("すべてはい"));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog.answer(), ErrorPromptResult::No);
}

// Field ids in validation order: days, hours, minutes of slots 0 to 3.
constexpr std::array<int, 12> kFieldIds = {
    IncrementControl::EditAccessDays,    IncrementControl::EditAccessHours,
    IncrementControl::EditAccessMinutes, IncrementControl::PrintedDays,
    IncrementControl::PrintedHours,      IncrementControl::PrintedMinutes,
    IncrementControl::CreatedDays,       IncrementControl::CreatedHours,
    IncrementControl::CreatedMinutes,    IncrementControl::LastSavedDays,
    IncrementControl::LastSavedHours,    IncrementControl::LastSavedMinutes};

void fill(CDateIncrementDlg& dialog, const std::array<const char*, 12>& texts) {
    for (std::size_t i = 0; i < kFieldIds.size(); ++i) {
        control<QLineEdit>(dialog, kFieldIds[i])->setText(QString::fromUtf8(texts[i]));
    }
}

TEST(DateIncrementDialog, OkComputesIncrementsAndRefusesOutOfRangeFieldsInOrder) {
    ScriptedPrompts prompts;
    CDateIncrementDlg dialog(prompts);
    struct Case {
        std::array<const char*, 12> texts;
        bool accepted;
        QString message;
        int focusId;
    };
    const QString hoursRange = QStringLiteral("0 から 23 までの整数を入力してください。");
    const std::vector<Case> cases = {
        {{"1", "2", "3", "0", "0", "0", "0", "0", "0", "200", "23", "59"}, true, {}, 0},
        {{"1", "24", "3", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
         false,
         hoursRange,
         IncrementControl::EditAccessHours},
        {{"201", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
         false,
         QStringLiteral("0 から 200 までの整数を入力してください。"),
         IncrementControl::EditAccessDays},
        {{"0", "0", "0", "0", "0", "60", "0", "0", "0", "0", "0", "0"},
         false,
         QStringLiteral("0 から 59 までの整数を入力してください。"),
         IncrementControl::PrintedMinutes},
        {{"0", "0", "0", "0", "0", "0", "x", "0", "0", "0", "0", "0"},
         false,
         QStringLiteral("0 から 200 までの整数を入力してください。"),
         IncrementControl::CreatedDays},
        {{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "", "0"},
         false,
         hoursRange,
         IncrementControl::LastSavedHours},
        {{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "-1"},
         false,
         QStringLiteral("0 から 59 までの整数を入力してください。"),
         IncrementControl::LastSavedMinutes},
    };
    for (const Case& c : cases) {
        prompts.shown.clear();
        prompts.dialogScripts.push_back([&](QDialog& d) {
            fill(dialog, c.texts);
            d.setResult(QDialog::Rejected);
            control<QPushButton>(d, IncrementControl::Ok)->click();
            return d.result();
        });
        const int result = dialog.run();
        EXPECT_EQ(result == QDialog::Accepted, c.accepted) << c.texts[1];
        if (c.accepted) {
            EXPECT_EQ(dialog.settings().increment,
                      (std::array<std::int64_t, 4>{93'780, 0, 0, 17'366'340}));
            EXPECT_EQ(prompts.shown.size(), 1U);  // only the dialog itself
        } else {
            ASSERT_EQ(prompts.shown.size(), 2U);
            EXPECT_EQ(prompts.shown[1].text, c.message);
            EXPECT_EQ(prompts.shown[1].icon, PromptIcon::Exclamation);
            // A refused OK keeps the increments of the last accepted OK.
            EXPECT_EQ(dialog.settings().increment[3], 17'366'340);
        }
    }
    // The fields read before the refused one keep their new numbers and are shown next time.
    EXPECT_EQ(dialog.settings().days[0], 0U);
    EXPECT_EQ(dialog.settings().minutes[1], 0U);
    EXPECT_EQ(dialog.settings().days[3], 0U);
    prompts.dialogScripts.push_back([&](QDialog& d) {
        EXPECT_EQ(control<QLineEdit>(d, IncrementControl::LastSavedDays)->text(),
                  QStringLiteral("0"));
        EXPECT_EQ(control<QLineEdit>(d, IncrementControl::LastSavedHours)->text(),
                  QStringLiteral("0"));
        return int{QDialog::Rejected};
    });
    dialog.run();
}

TEST(DateIncrementDialog, OpensOnRandomAndAClickStoresTheModeEvenWhenCancelled) {
    ScriptedPrompts prompts;
    CDateIncrementDlg dialog(prompts);
    EXPECT_EQ(dialog.settings().mode, quorvel::batch::IncrementMode::Random);
    prompts.dialogScripts.push_back([&](QDialog& d) {
        EXPECT_TRUE(control<QRadioButton>(d, IncrementControl::RandomRadio)->isChecked());
        EXPECT_EQ(control<QRadioButton>(d, IncrementControl::AddRadio)->toolTip(),
                  QStringLiteral("ファイル毎に指定日時に増分設定を累積加算する"));
        control<QRadioButton>(d, IncrementControl::SubtractRadio)->click();
        control<QPushButton>(d, IncrementControl::Cancel)->click();
        return d.result();
    });
    dialog.run();
    EXPECT_EQ(dialog.settings().mode, quorvel::batch::IncrementMode::Subtract);
    prompts.dialogScripts.push_back([&](QDialog& d) {
        EXPECT_TRUE(control<QRadioButton>(d, IncrementControl::RandomRadio)->isChecked());
        return int{QDialog::Rejected};
    });
    dialog.run();
    EXPECT_EQ(dialog.settings().mode, quorvel::batch::IncrementMode::Subtract);
}

TEST(DateIncrementDialog, SpinButtonsWrapAtTheEndsOfTheirRange) {
    ScriptedPrompts prompts;
    CDateIncrementDlg dialog(prompts);
    prompts.dialogScripts.push_back([&](QDialog& d) {
        auto* hours = control<QLineEdit>(d, IncrementControl::EditAccessHours);
        auto* spin = control<SpinButton>(d, IncrementControl::EditAccessHoursSpin);
        hours->setText(QStringLiteral("23"));
        spin->findChild<QToolButton*>(QStringLiteral("up"))->click();
        EXPECT_EQ(hours->text(), QStringLiteral("0"));
        spin->findChild<QToolButton*>(QStringLiteral("down"))->click();
        EXPECT_EQ(hours->text(), QStringLiteral("23"));
        QTest::keyClick(hours, Qt::Key_Down);
        EXPECT_EQ(hours->text(), QStringLiteral("22"));
        auto* days = control<QLineEdit>(d, IncrementControl::LastSavedDays);
        QTest::keyClick(days, Qt::Key_Down);
        EXPECT_EQ(days->text(), QStringLiteral("200"));
        return int{QDialog::Rejected};
    });
    dialog.run();
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_prompts.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/settings.h"
#include "filelist/file_list_ctrl.h"
#include "res/control_ids.h"
#include "support/qstring_printer.h"
#include "support/scratch_settings.h"
#include "support/temp_folder.h"
#include "ui/quorvel_dlg.h"

namespace quorvel::ui {
namespace {

// Runs the action on the next modal window once it is shown; the prompt under test then runs
// its own event loop until the action ends it.
template <typename Modal>
void actOnNextModal(std::function<void(Modal&)> action) {
    QTimer::singleShot(10, [action] {
        auto* modal = qobject_cast<Modal*>(QApplication::activeModalWidget());
        if (modal == nullptr || !modal->isVisible()) {
            actOnNextModal(action);
            return;
        }
        action(*modal);
    });
}

TEST(QtPrompts, EscapeAndTheCloseBoxGiveTheSafeAnswer) {
    const std::function<void(QMessageBox&)> pressEscape = [](QMessageBox& box) {
        QTest::keyClick(&box, Qt::Key_Escape);
    };
    const std::function<void(QMessageBox&)> closeBox = [](QMessageBox& box) { box.close(); };
    const struct {
        const char* name;
        PromptButtons buttons;
        std::function<void(QMessageBox&)> action;
        PromptAnswer answer;
    } cases[] = {
        {"Abort/Retry/Ignore, Escape", PromptButtons::AbortRetryIgnore, pressEscape,
         PromptAnswer::Retry},
        {"Abort/Retry/Ignore, close box", PromptButtons::AbortRetryIgnore, closeBox,
         PromptAnswer::Retry},
        {"Yes/No, Escape", PromptButtons::YesNo, pressEscape, PromptAnswer::No},
        {"OK, Escape", PromptButtons::Ok, pressEscape, PromptAnswer::Ok},
    };
    QtPrompts prompts;
    for (const auto& c : cases) {
        actOnNextModal(c.action);
        EXPECT_EQ(prompts.message(nullptr, QStringLiteral("text"), QStringLiteral("caption"),
                                  c.buttons, PromptIcon::Exclamation),
                  c.answer)
            << c.name;
    }

    const std::function<void(QMessageBox&)> clickAbort = [](QMessageBox& box) {
        box.button(QMessageBox::Abort)->click();
    };
    actOnNextModal(clickAbort);
    EXPECT_EQ(prompts.message(nullptr, QStringLiteral("text"), QStringLiteral("caption"),
                              PromptButtons::AbortRetryIgnore, PromptIcon::Exclamation),
              PromptAnswer::Abort);
}

// The main window over Qt's own file dialog (not the platform's), on an empty settings store.
class RealFileDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_settingsDir.isValid());
        test::useScratchSettings(m_settingsDir.path());
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void TearDown() override {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
        QDir::setCurrent(m_startFolder);
    }

    // Chooses the filter at the given position of the file-type list with the keyboard.
    static void chooseFilter(QFileDialog& dialog, int position) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        types->setFocus();
        while (types->currentIndex() < position) {
            QTest::keyClick(types, Qt::Key_Down);
        }
    }

    QTemporaryDir m_settingsDir;
    test::TempFolder m_folder;
    const QString m_startFolder = QDir::currentPath();
};

TEST_F(RealFileDialog, TheChosenFilterIsStoredAndOfferedFirstNextTime) {
    const QString sheet = QString::fromStdString(m_folder.makeFile("売上.xls"));
    QtPrompts prompts;
    CQuorvelDlg window(prompts);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QString excel = QStringLiteral("EXCEL File(*.xls;)|*.xls");
    actOnNextModal(std::function<void(QFileDialog&)>([&](QFileDialog& dialog) {
        EXPECT_TRUE(dialog.selectedNameFilter().startsWith(QStringLiteral("WORD File(*.doc)")));
        chooseFilter(dialog, 1);
        dialog.selectFile(sheet);
        QMetaObject::invokeMethod(&dialog, "accept");
    }));
    window.control<QPushButton>(MainControl::FileSetting)->click();
    EXPECT_EQ(app::Settings::dialogFileKind(), excel);
    ASSERT_EQ(window.fileList().topLevelItemCount(), 1);
    EXPECT_EQ(window.fileList().RowPath(0), QDir::toNativeSeparators(sheet));

    QStringList offered;
    actOnNextModal(std::function<void(QFileDialog&)>([&](QFileDialog& dialog) {
        offered = dialog.nameFilters();
        offered.prepend(dialog.selectedNameFilter());
        dialog.reject();
    }));
    window.control<QPushButton>(MainControl::FileSetting)->click();
    ASSERT_GE(offered.size(), 3);
    EXPECT_EQ(offered[0], QStringLiteral("EXCEL File(*.xls;)"));
    EXPECT_EQ(offered[1], QStringLiteral("EXCEL File(*.xls;) (*.xls)"));
    EXPECT_EQ(offered[2], QStringLiteral("WORD File(*.doc) (*.doc)"));
    EXPECT_EQ(app::Settings::dialogFileKind(), excel) << "a cancelled dialog stores nothing";

    // The last entry's description holds parentheses of its own.
    actOnNextModal(std::function<void(QFileDialog&)>([&](QFileDialog& dialog) {
        chooseFilter(dialog, static_cast<int>(dialog.nameFilters().size()) - 1);
        dialog.selectFile(sheet);
        QMetaObject::invokeMethod(&dialog, "accept");
    }));
    window.control<QPushButton>(MainControl::FileSetting)->click();
    EXPECT_EQ(app::Settings::dialogFileKind(), QStringLiteral("All Files (*.*)|*.*"));
}

}  // namespace
}  // namespace quorvel::ui

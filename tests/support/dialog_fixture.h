// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "support/scratch_settings.h"
#include "support/scripted_prompts.h"
#include "ui/quorvel_dlg.h"

namespace quorvel::test {

// A main dialog on a fresh, empty settings store, answered by scripted prompts.
class DialogFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_settingsDir.isValid());
        useScratchSettings(m_settingsDir.path());
    }

    CQuorvelDlg& openDialog() {
        dialog = std::make_unique<CQuorvelDlg>(prompts);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return *dialog;
    }

    ScriptedPrompts prompts;
    std::unique_ptr<CQuorvelDlg> dialog;

  private:
    QTemporaryDir m_settingsDir;
};

}  // namespace quorvel::test

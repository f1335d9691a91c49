// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include "prompts/prompts.h"

class QLabel;

// The three-answer question asked when one file of many fails: はい, すべてはい, いいえ.
// Every way of closing it other than the two yes-buttons answers No.
class CErrorPromptDlg final : public QDialog {
    Q_OBJECT
  public:
    CErrorPromptDlg(const QString& text, quorvel::ui::PromptIcon icon, QWidget* owner = nullptr);

    quorvel::ui::ErrorPromptResult answer() const { return m_result; }

  private:
    void choose(quorvel::ui::ErrorPromptResult result);

    quorvel::ui::ErrorPromptResult m_result = quorvel::ui::ErrorPromptResult::No;
};

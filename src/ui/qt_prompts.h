// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "prompts/prompts.h"

namespace quorvel::ui {

// The real prompts: message boxes, file dialogs and modal runs of Qt.
class QtPrompts final : public Prompts {
  public:
    PromptAnswer message(QWidget* owner, const QString& text, const QString& caption,
                         PromptButtons buttons, PromptIcon icon) override;
    ErrorPromptResult errorPrompt(QWidget* owner, const QString& text) override;
    FileDialogResult openFiles(QWidget* owner, const QString& title, const QString& folder,
                               const QStringList& filters) override;
    FileDialogResult saveFile(QWidget* owner, const QString& title, const QString& path,
                              const QStringList& filters) override;
    QString existingFolder(QWidget* owner, const QString& title, const QString& folder) override;
    int execDialog(QDialog& dialog) override;
};

}  // namespace quorvel::ui

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

namespace quorvel::ui {

enum class PromptIcon { None, Information, Exclamation, Stop };
enum class PromptButtons { Ok, YesNo, AbortRetryIgnore };
enum class PromptAnswer { Ok, Yes, No, Abort, Retry, Ignore };

// Answer of the error prompt (dialog 136).
enum class ErrorPromptResult { Yes = 1, No = 2, YesToAll = 3 };

// What a file dialog returns: the chosen paths (empty when cancelled) and the filter in force.
struct FileDialogResult {
    QStringList paths;
    QString selectedFilter;
};

// Every question, message and dialog of the program goes through this interface, so
// that handlers can be driven headless with scripted answers.
class Prompts {
  public:
    virtual ~Prompts() = default;

    virtual PromptAnswer message(QWidget* owner, const QString& text, const QString& caption,
                                 PromptButtons buttons, PromptIcon icon) = 0;
    // The three-button error prompt; No when closed otherwise.
    virtual ErrorPromptResult errorPrompt(QWidget* owner, const QString& text) = 0;
    // Multi-select open dialog; filters are Qt name filters ("WORD File(*.doc)").
    virtual FileDialogResult openFiles(QWidget* owner, const QString& title, const QString& folder,
                                       const QStringList& filters) = 0;
    // Save dialog; empty path when cancelled.
    virtual FileDialogResult saveFile(QWidget* owner, const QString& title, const QString& path,
                                      const QStringList& filters) = 0;
    // Folder browser; empty when cancelled.
    virtual QString existingFolder(QWidget* owner, const QString& title, const QString& folder) = 0;
    // Runs one of the program's own modal dialogs and returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;
};

}  // namespace quorvel::ui

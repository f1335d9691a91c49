// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "prompts/prompts.h"

namespace quorvel::test {

// A record of one prompt the program showed.
struct ShownPrompt {
    QString kind;  // "message", "errorPrompt", "openFiles", "saveFile", "existingFolder", "dialog"
    QString text;
    QString caption;
    ui::PromptButtons buttons = ui::PromptButtons::Ok;
    ui::PromptIcon icon = ui::PromptIcon::None;
};

// Prompts answered from queues; every prompt is recorded. An empty queue answers with
// the prompt's cancel/default (Ok, No, nothing chosen, rejected).
class ScriptedPrompts final : public ui::Prompts {
  public:
    std::deque<ui::PromptAnswer> messageAnswers;
    std::deque<ui::ErrorPromptResult> errorAnswers;
    std::deque<ui::FileDialogResult> fileAnswers;
    std::deque<QString> folderAnswers;
    // Each scripted dialog run gets the dialog (to fill and click) and returns its result.
    std::deque<std::function<int(QDialog&)>> dialogScripts;
    std::vector<ShownPrompt> shown;

    ui::PromptAnswer message(QWidget*, const QString& text, const QString& caption,
                             ui::PromptButtons buttons, ui::PromptIcon icon) override {
        shown.push_back({"message", text, caption, buttons, icon});
        const ui::PromptAnswer fallback =
            buttons == ui::PromptButtons::YesNo ? ui::PromptAnswer::No : ui::PromptAnswer::Ok;
        return take(messageAnswers, fallback);
    }
    ui::ErrorPromptResult errorPrompt(QWidget*, const QString& text) override {
        shown.push_back({"errorPrompt", text, {}, {}, {}});
        return take(errorAnswers, ui::ErrorPromptResult::No);
    }
    ui::FileDialogResult openFiles(QWidget*, const QString& title, const QString& folder,
                                   const QStringList&) override {
        shown.push_back({"openFiles", folder, title, {}, {}});
        return take(fileAnswers, ui::FileDialogResult{});
    }
    ui::FileDialogResult saveFile(QWidget*, const QString& title, const QString& path,
                                  const QStringList&) override {
        shown.push_back({"saveFile", path, title, {}, {}});
        return take(fileAnswers, ui::FileDialogResult{});
    }
    QString existingFolder(QWidget*, const QString& title, const QString& folder) override {
        shown.push_back({"existingFolder", folder, title, {}, {}});
        return take(folderAnswers, QString());
    }
    int execDialog(QDialog& dialog) override {
        shown.push_back({"dialog", {}, dialog.windowTitle(), {}, {}});
        if (dialogScripts.empty()) {
            return QDialog::Rejected;
        }
        auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        return script(dialog);
    }

  private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "prompts/wait_cursor.h"
#include "ui/error_prompt_dlg.h"

namespace quorvel::ui {
namespace {

QMessageBox::Icon toQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Stop:
            return QMessageBox::Critical;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

PromptAnswer fromQtButton(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Abort:
            return PromptAnswer::Abort;
        case QMessageBox::Retry:
            return PromptAnswer::Retry;
        case QMessageBox::Ignore:
            return PromptAnswer::Ignore;
        default:
            return PromptAnswer::Ok;
    }
}

// A name filter without its pattern list: "WORD File(*.doc) (*.doc)" shows as "WORD File(*.doc)".
QString withoutPatterns(const QString& filter) {
    const qsizetype patterns = filter.lastIndexOf(u'(');
    return patterns < 0 ? filter : filter.left(patterns).simplified();
}

// The entry of filters that the dialog had selected. With HideNameFilterDetails, Qt's own
// dialog reports the entry as it shows it, without its patterns.
QString selectedEntry(const QFileDialog& dialog, const QStringList& filters) {
    const QString selected = dialog.selectedNameFilter();
    for (const QString& filter : filters) {
        if (filter == selected || withoutPatterns(filter) == selected) {
            return filter;
        }
    }
    return selected;
}

}  // namespace

PromptAnswer QtPrompts::message(QWidget* owner, const QString& text, const QString& caption,
                                PromptButtons buttons, PromptIcon icon) {
    const NormalCursorWhilePrompting normalCursor;
    QMessageBox box(toQtIcon(icon), caption, text, toQtButtons(buttons), owner);
    if (buttons == PromptButtons::AbortRetryIgnore) {
        // Escape and the close box retry; Qt would take Abort, the only reject-role button.
        box.setEscapeButton(QMessageBox::Retry);
    }
    return fromQtButton(box.exec());
}

ErrorPromptResult QtPrompts::errorPrompt(QWidget* owner, const QString& text) {
    const NormalCursorWhilePrompting normalCursor;
    CErrorPromptDlg dialog(text, PromptIcon::Exclamation, owner);
    dialog.exec();
    return dialog.answer();
}

FileDialogResult QtPrompts::openFiles(QWidget* owner, const QString& title, const QString& folder,
                                      const QStringList& filters) {
    const NormalCursorWhilePrompting normalCursor;
    QFileDialog dialog(owner, title, folder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return {dialog.selectedFiles(), selectedEntry(dialog, filters)};
}

FileDialogResult QtPrompts::saveFile(QWidget* owner, const QString& title, const QString& path,
                                     const QStringList& filters) {
    const NormalCursorWhilePrompting normalCursor;
    QFileDialog dialog(owner, title, path);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Saving over an existing file replaces it without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return {dialog.selectedFiles(), dialog.selectedNameFilter()};
}

QString QtPrompts::existingFolder(QWidget* owner, const QString& title, const QString& folder) {
    const NormalCursorWhilePrompting normalCursor;
    return QFileDialog::getExistingDirectory(owner, title, folder, QFileDialog::ShowDirsOnly);
}

int QtPrompts::execDialog(QDialog& dialog) {
    const NormalCursorWhilePrompting normalCursor;
    return dialog.exec();
}

}  // namespace quorvel::ui

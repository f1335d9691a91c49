// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/quorvel_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/settings.h"
#include "ui/qt_prompts.h"
#include "ui/quorvel_dlg.h"

// Qt's standard buttons read はい/いいえ when the user's language is Japanese.
void CQuorvelApp::InstallTranslation() {
    if (QLocale().language() != QLocale::Japanese) {
        return;
    }
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

void CQuorvelApp::SetUpFont() {
    QFont font(QStringLiteral("Noto Sans CJK JP"), 9);
    QApplication::setFont(font);
}

void CQuorvelApp::SetUpApplication() {
    QApplication::setOrganizationName(QString::fromLatin1(quorvel::app::Settings::kOrganization));
    InstallTranslation();
    SetUpFont();
}

QStringList CQuorvelApp::CommandLinePaths(const QStringList& arguments) {
    QStringList paths;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        paths.append(QFileInfo(arguments[i]).absoluteFilePath());
    }
    return paths;
}

int CQuorvelApp::Run() {
    SetUpApplication();
    quorvel::ui::QtPrompts prompts;
    CQuorvelDlg dialog(prompts);
    // "Open with" from a file manager: the named files enter the list as a drop would.
    const QStringList paths = CommandLinePaths(QCoreApplication::arguments());
    if (!paths.isEmpty()) {
        dialog.DropOnFileList(paths);
    }
    dialog.exec();
    return 0;
}

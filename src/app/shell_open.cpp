#include "app/shell_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>

namespace quorvel::app {

void openWithDefaultApplication(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

std::vector<std::string> mimeTypeCandidates(const QString& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    std::vector<std::string> candidates;
    if (!type.isValid()) {
        return candidates;
    }
    // Every file is an octet stream; that says nothing about what should open it.
    for (const QString& name : QStringList{type.name()} + type.allAncestors()) {
        if (name != QStringLiteral("application/octet-stream")) {
            candidates.push_back(name.toStdString());
        }
    }
    return candidates;
}

platform::ShellOpenResult openWithAssociatedApplication(const QString& path) {
    return platform::openWithAssociatedApplication(QFile::encodeName(path).toStdString(),
                                                   mimeTypeCandidates(path));
}

QString helpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Quorvel.chm"));
}

void openHelpFile() {
    // The same association lookup as the export's opening; a failure shows nothing.
    openWithAssociatedApplication(helpFilePath());
}

}  // namespace quorvel::app

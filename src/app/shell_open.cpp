#include "app/shell_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "platform/shell_open.h"

namespace quorvel::app {

void openWithDefaultApplication(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

namespace {

// Whether folder is the build tree's root or lies below it.
bool inBuildTree(const QString& folder) {
    const QString buildTree = QDir::cleanPath(QStringLiteral(QUORVEL_BUILD_DIR));
    const QString cleaned = QDir::cleanPath(folder);
    return cleaned == buildTree || cleaned.startsWith(buildTree + QLatin1Char('/'));
}

}  // namespace

QString helpFilePath(const QString& programFolder) {
    const QDir folder(programFolder);
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral(QUORVEL_MANUAL_FROM_BINDIR "/index.html")));
    if (QFileInfo::exists(installed)) {
        return installed;
    }
    const QString project = QStringLiteral(QUORVEL_SOURCE_MANUAL "/index.html");
    if (inBuildTree(programFolder) && QFileInfo::exists(project)) {
        return project;
    }
    return folder.filePath(QStringLiteral("Quorvel.chm"));
}

void openHelpFile() {
    // The same association lookup as the export's opening; a failure shows nothing.
    platform::openWithAssociatedApplication(
        helpFilePath(QCoreApplication::applicationDirPath()).toStdString());
}

}  // namespace quorvel::app

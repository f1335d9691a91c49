// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

namespace quorvel::app {
namespace {

// Whether folder is the build tree's root or lies below it. Made absolute, the build tree
// gains the drive letter a cross-built program sees it under on Windows.
bool inBuildTree(const QString& folder) {
    const QString buildTree =
        QDir::cleanPath(QFileInfo(QStringLiteral(QUORVEL_BUILD_DIR)).absoluteFilePath());
    const QString cleaned = QDir::cleanPath(folder);
    return cleaned == buildTree || cleaned.startsWith(buildTree + QLatin1Char('/'));
}

}  // namespace

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
    return platform::openWithAssociatedApplication(path.toStdString(), mimeTypeCandidates(path));
}

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
    openWithAssociatedApplication(helpFilePath(QCoreApplication::applicationDirPath()));
}

}  // namespace quorvel::app

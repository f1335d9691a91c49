#include "app/shell_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace quorvel::app {

void openWithDefaultApplication(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

QString helpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Quorvel.chm"));
}

void openHelpFile() {
    openWithDefaultApplication(helpFilePath());
}

}  // namespace quorvel::app

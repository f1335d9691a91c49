#include "app/shell_open.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include "platform/shell_open.h"

namespace quorvel::app {

void openWithDefaultApplication(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

QString helpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Quorvel.chm"));
}

void openHelpFile() {
    // The same association lookup as the export's opening; a failure shows nothing.
    platform::openWithAssociatedApplication(helpFilePath().toStdString());
}

}  // namespace quorvel::app

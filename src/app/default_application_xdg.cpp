// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_open.h"

#include <QProcess>

namespace quorvel::app {

void openWithDefaultApplication(const QString& target) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
}

}  // namespace quorvel::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace quorvel::app {

// The shell opens an address with the default browser, a file with its associated program.
void openWithDefaultApplication(const QString& target) {
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

}  // namespace quorvel::app

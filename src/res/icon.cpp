// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/icon.h"

#include <QDir>

static void initQuorvelResources() {
    // The resources live in a static library, so they are registered by hand.
    Q_INIT_RESOURCE(quorvel);
}

namespace quorvel::res {

QIcon quorvelIcon() {
    initQuorvelResources();
    return QIcon(QStringLiteral(":/res/icon128.png"));
}

}  // namespace quorvel::res

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace quorvel::res {

// Icon 128: the window icon of the main dialog and the picture of the About box.
QIcon quorvelIcon();

}  // namespace quorvel::res

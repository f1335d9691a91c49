#pragma once

#include <QIcon>

namespace quorvel::res {

// Icon 128: the window icon of the main dialog and the picture of the About box.
QIcon quorvelIcon();

}  // namespace quorvel::res

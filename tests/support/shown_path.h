// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>

#include <string>

namespace quorvel::test {

// A path as the window shows it: with the system's separators.
inline QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}
inline QString shownPath(const std::string& path) {
    return shownPath(QString::fromStdString(path));
}

}  // namespace quorvel::test

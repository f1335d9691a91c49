// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QString>

namespace quorvel::test {

// Keeps the program's settings in INI files under folder for the rest of the process, on
// every system: on Windows the native store would be the registry, shared by every test.
inline void useScratchSettings(const QString& folder) {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

}  // namespace quorvel::test

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace quorvel::filelist {

inline constexpr std::size_t kFileKindFilterCount = 18;

// The file dialog's filter entries, each "description|patterns".
using FileKindFilterTable = std::array<QString, kFileKindFilterCount>;

// The entries in their fixed order, with the remembered entry (compared without regard to
// case) swapped to the front; an empty or unknown remembered entry keeps the order.
FileKindFilterTable buildFileKindFilters(const QString& remembered);

// The Qt name filter of one entry: the description followed by its patterns in parentheses,
// "*.*" as "*", so that the dialog, showing descriptions only, filters by the real patterns.
QString toQtNameFilter(const QString& entry);

QStringList toQtNameFilters(const FileKindFilterTable& table);

}  // namespace quorvel::filelist

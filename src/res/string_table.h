// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quorvel::res {

// The text of a numbered string; empty for an unknown id.
QString loadString(int id);

// Every id of the string table, ascending.
QList<int> stringIds();

// Replaces each "%s" or "%u" of format, left to right, by the next argument. Arguments are
// inserted verbatim, so a path holding '%' stays intact.
QString formatText(const QString& format, const QStringList& args);

// formatText over the string with the given id.
QString formatString(int id, const QStringList& args);

}  // namespace quorvel::res

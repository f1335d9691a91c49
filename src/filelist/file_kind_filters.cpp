// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/file_kind_filters.h"

#include <utility>

namespace quorvel::filelist {
namespace {

constexpr std::array<const char*, kFileKindFilterCount> kEntries = {
    "WORD File(*.doc)|*.doc",
    "EXCEL File(*.xls;)|*.xls",
    "PowerPoint File(*.ppt;)|*.ppt",
    "一太郎 File(*.jtd;)|*.jtd",
    "WORD/EXCEL File(*.doc;*.xls;)|*.doc;*.xls",
    "WORD/一太郎 File(*.doc;*.jtd;)|*.doc;*.jtd",
    "WORD/PowerPoint File(*.doc;*.ppt;)|*.doc;*.ppt",
    "EXCEL/一太郎 File(*.xls;*.jtd;)|*.xls;*.jtd",
    "PowerPoint/一太郎 File(*.ppt;*.jtd;)|*.ppt;*.jtd",
    "WORD/EXCEL/PowerPoint File(*.doc;*.xls;*.ppt;)|*.doc;*.xls;*.ppt",
    "WORD/一太郎/PowerPoint File(*.doc;*.jtd;*.ppt;)|*.doc;*.jtd;*.ppt",
    "一太郎/EXCEL/PowerPoint File(*jtd;*.xls;*.ppt;)|*jtd;*.xls;*.ppt",
    "WORD/EXCEL/一太郎 File(*.doc;*.xls;*.jtd;)|*.doc;*.xls;*.jtd",
    "WORD/EXCEL/PowerPoint/一太郎 File(*.doc;*.xls;*.ppt;*.jtd;)|*.doc;*.xls;*.ppt;*.jtd",
    "WORD/EXCEL/PowerPoint File(*.docx;*.xlsx;*.pptx;)|*.docx;*.xlsx;*.pptx",
    "OpenDocument File(*.odt;*.ods;*.odp;)|*.odt;*.ods;*.odp",
    "PDF File(*.pdf;)|*.pdf",
    "All Files (*.*)|*.*",
};

}  // namespace

FileKindFilterTable buildFileKindFilters(const QString& remembered) {
    FileKindFilterTable table;
    for (std::size_t i = 0; i < kFileKindFilterCount; ++i) {
        table[i] = QString::fromUtf8(kEntries[i]);
    }
    if (remembered.isEmpty()) {
        return table;
    }
    for (std::size_t i = 0; i < kFileKindFilterCount; ++i) {
        if (QString::compare(table[i], remembered, Qt::CaseInsensitive) == 0) {
            std::swap(table[0], table[i]);
            break;
        }
    }
    return table;
}

QString toQtNameFilter(const QString& entry) {
    const qsizetype bar = entry.indexOf(u'|');
    QStringList patterns = entry.mid(bar + 1).split(u';', Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
        if (pattern == QStringLiteral("*.*")) {
            pattern = QStringLiteral("*");
        }
    }
    return entry.left(bar) + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

QStringList toQtNameFilters(const FileKindFilterTable& table) {
    QStringList filters;
    for (const QString& entry : table) {
        filters.append(toQtNameFilter(entry));
    }
    return filters;
}

}  // namespace quorvel::filelist

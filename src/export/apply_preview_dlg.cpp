// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/apply_preview_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "res/control_ids.h"
#include "res/string_table.h"

using quorvel::csv::FieldChange;
using quorvel::csv::RowPreview;

namespace {

// Lines of the table: file, field, current value, new value, remark.
struct PreviewLine {
    QString file;
    QString field;
    QString current;
    QString wanted;
    QString remark;
};

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::vector<PreviewLine> previewLines(const quorvel::csv::ApplySheet& sheet,
                                      const std::vector<RowPreview>& previews) {
    std::vector<PreviewLine> lines;
    for (std::size_t i = 0; i < previews.size() && i < sheet.rows.size(); ++i) {
        const QString file = text(sheet.rows[i].path);
        const RowPreview& preview = previews[i];
        if (preview.code != quorvel::props::kSuccess) {
            lines.push_back({file, {}, {}, {}, quorvel::res::loadString(preview.code)});
            continue;
        }
        for (const FieldChange& change : preview.changes.changes) {
            lines.push_back(
                {file, text(change.column), text(change.current), text(change.wanted), {}});
        }
        for (const FieldChange& change : preview.changes.ignored) {
            lines.push_back({file, text(change.column), text(change.current), text(change.wanted),
                             QStringLiteral("変更しません: ") + text(change.reason)});
        }
    }
    return lines;
}

QString countsText(const std::vector<RowPreview>& previews) {
    unsigned files = 0;
    unsigned fields = 0;
    unsigned unchanged = 0;
    unsigned failed = 0;
    for (const RowPreview& preview : previews) {
        if (preview.code != quorvel::props::kSuccess) {
            ++failed;
        } else if (preview.changes.any()) {
            ++files;
            fields += static_cast<unsigned>(preview.changes.changes.size());
        } else {
            ++unchanged;
        }
    }
    return quorvel::res::formatText(
        QStringLiteral("変更するファイル：%u　変更する項目：%u　変更のないファイル：%u　"
                       "読めないファイル：%u"),
        {QString::number(files), QString::number(fields), QString::number(unchanged),
         QString::number(failed)});
}

QTableWidget* changesTable(const std::vector<PreviewLine>& lines) {
    auto* table = new QTableWidget(static_cast<int>(lines.size()), 5);
    table->setObjectName(idName(ApplyPreviewControl::Changes));
    table->setHorizontalHeaderLabels({QStringLiteral("ファイル名"), QStringLiteral("項目"),
                                      QStringLiteral("現在の値"), QStringLiteral("新しい値"),
                                      QStringLiteral("備考")});
    table->setAccessibleName(QStringLiteral("変更の一覧"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < table->rowCount(); ++row) {
        const PreviewLine& line = lines[static_cast<std::size_t>(row)];
        int column = 0;
        for (const QString& cell :
             {line.file, line.field, line.current, line.wanted, line.remark}) {
            table->setItem(row, column++, new QTableWidgetItem(cell));
        }
    }
    table->resizeColumnsToContents();
    return table;
}

}  // namespace

CApplyPreviewDlg::CApplyPreviewDlg(const quorvel::csv::ApplySheet& sheet,
                                   const std::vector<RowPreview>& previews, QWidget* parent,
                                   const QString& caption)
    : QDialog(parent) {
    setWindowTitle(caption);
    auto* counts = new QLabel(countsText(previews));
    counts->setObjectName(idName(ApplyPreviewControl::Counts));
    auto* apply = new QPushButton(QStringLiteral("変更(&A)"));
    apply->setObjectName(idName(ApplyPreviewControl::Apply));
    apply->setEnabled(std::any_of(previews.begin(), previews.end(), [](const RowPreview& p) {
        return p.code == quorvel::props::kSuccess && p.changes.any();
    }));
    apply->setDefault(apply->isEnabled());
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(idName(ApplyPreviewControl::Cancel));
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts);
    layout->addWidget(changesTable(previewLines(sheet, previews)));
    layout->addLayout(buttons);
    resize(760, 420);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/undo_runs_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "export/csv_format.h"
#include "res/control_ids.h"

using quorvel::journal::RunKind;

QString RunKindText(RunKind kind) {
    switch (kind) {
        case RunKind::PropertyChange:
            return QStringLiteral("プロパティの変更");
        case RunKind::FolderTimes:
            return QStringLiteral("フォルダの日時の変更");
        case RunKind::CsvApply:
            return QStringLiteral("CSVファイルの値を適用");
        case RunKind::CommandWrite:
            return QStringLiteral("コマンドラインからの変更");
        case RunKind::Undo:
        case RunKind::FolderUndo:
            break;
    }
    return QStringLiteral("元に戻す");
}

CUndoRunsDlg::CUndoRunsDlg(const std::vector<quorvel::journal::RunSummary>& runs, QWidget* parent)
    : QDialog(parent), m_runs(runs), m_list(new QTreeWidget) {
    setWindowTitle(QStringLiteral("実行を元に戻す"));
    m_list->setObjectName(idName(UndoRunsControl::Runs));
    m_list->setAccessibleName(QStringLiteral("記録された実行"));
    m_list->setHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("種類"), QStringLiteral("ファイル数")});
    m_list->setRootIsDecorated(false);
    for (const quorvel::journal::RunSummary& run : runs) {
        const QString started =
            QString::fromStdString(quorvel::csv::formatLocalTime(run.started).value_or(""));
        m_list->addTopLevelItem(
            new QTreeWidgetItem({started, RunKindText(run.kind), QString::number(run.written)}));
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (!runs.empty()) {
        m_list->setCurrentItem(m_list->topLevelItem(0));
    }
    auto* undo = new QPushButton(QStringLiteral("元に戻す(&U)..."));
    undo->setObjectName(idName(UndoRunsControl::Undo));
    undo->setEnabled(!runs.empty());
    undo->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(idName(UndoRunsControl::Cancel));
    connect(undo, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(undo);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(480, 320);
}

std::string CUndoRunsDlg::ChosenRun() const {
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row >= 0 && static_cast<std::size_t>(row) < m_runs.size()
               ? m_runs[static_cast<std::size_t>(row)].folder
               : std::string();
}

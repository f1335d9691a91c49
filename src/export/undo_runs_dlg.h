// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "journal/undo_run.h"

class QTreeWidget;

// "実行を元に戻す": the recorded runs, newest first, with their start, kind and number of files
// written. 元に戻す(&U) takes the selected run on to the preview of its restore.
class CUndoRunsDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CUndoRunsDlg(const std::vector<quorvel::journal::RunSummary>& runs,
                          QWidget* parent = nullptr);

    // The folder of the run chosen; empty when none is.
    std::string ChosenRun() const;

  private:
    const std::vector<quorvel::journal::RunSummary>& m_runs;
    QTreeWidget* m_list;
};

// A run's kind as the window names it.
QString RunKindText(quorvel::journal::RunKind kind);

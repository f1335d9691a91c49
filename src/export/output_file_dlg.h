// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "export/csv_format.h"

class QCheckBox;
class QLineEdit;

namespace quorvel::ui {
class Prompts;
}

// Dialog 139 "ファイルに出力": asks for the output file of an export, writes the records as
// CSV (with a column per user-defined property when ticked) and optionally opens the file with
// its associated application.
class COutputFileDlg : public QDialog {
    Q_OBJECT

  public:
    COutputFileDlg(quorvel::ui::Prompts& prompts, std::vector<quorvel::csv::ExportRecord> records,
                   QWidget* parent = nullptr);

    // The text of the file-name edit at the last press of O&K, for the next export of this run.
    static inline QString lastOutputFileName;

  public slots:
    // 終了(&E), Escape and the close box: store the state of the open-after-saving box, then close.
    void reject() override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildControls();
    void OnBrowse();
    void OnOK();
    bool WriteCsv();
    void OpenWithAssociatedApplication(const QString& path);
    bool IsOverOutputEdit(const QPointF& position) const;
    void ShowError(const QString& text);

    quorvel::ui::Prompts& m_prompts;
    std::vector<quorvel::csv::ExportRecord> m_records;
    QLineEdit* m_outputEdit = nullptr;
    QCheckBox* m_openAfterSaving = nullptr;
    QCheckBox* m_withCustom = nullptr;
};

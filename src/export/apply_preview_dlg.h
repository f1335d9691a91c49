// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

#include "export/csv_apply.h"

// "CSVファイルの値を適用": every change a CSV makes, file by file and field by field with the
// current and the new value, the changes that are ignored and the files that cannot be read,
// under the counts. 変更(&A) accepts, キャンセル writes nothing. An undo shows its restore in it.
class CApplyPreviewDlg : public QDialog {
    Q_OBJECT

  public:
    CApplyPreviewDlg(const quorvel::csv::ApplySheet& sheet,
                     const std::vector<quorvel::csv::RowPreview>& previews,
                     QWidget* parent = nullptr,
                     const QString& caption = QStringLiteral("CSVファイルの値を適用"));
};

// SPDX-License-Identifier: GPL-3.0-or-later
// The user-defined property changes of the main dialog: prepared in their window, shown as a
// count beside the commands, written by the next batch change.
#include <QLabel>

#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "ui/custom_properties_dlg.h"
#include "ui/quorvel_dlg.h"

void CQuorvelDlg::OnCustomProperties() {
    CCustomPropertiesDlg dialog(m_prompts, m_shownPath, m_shownCustom, m_customEdits, this);
    if (m_prompts.execDialog(dialog) == QDialog::Accepted) {
        m_customEdits = dialog.Edits();
        ShowPendingCustomEdits();
    }
}

void CQuorvelDlg::ShowPendingCustomEdits() {
    control<QLabel>(MainControl::CustomPendingText)
        ->setText(m_customEdits.empty()
                      ? QString()
                      : QStringLiteral("ユーザー定義: %1 件の変更").arg(m_customEdits.size()));
}

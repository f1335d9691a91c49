// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QDir>

#include "filelist/file_list_ctrl.h"
#include "prompts/prompts.h"
#include "ui/quorvel_dlg.h"

void CQuorvelDlg::OnRemoveMarkedFiles() {
    m_fileList->RemoveMarkedRows();
    m_fileList->RefreshCaption(m_fileList->CountMarkedRows());
}

void CQuorvelDlg::OnClearList() {
    m_fileList->ClearAllRows();
    m_fileList->SetColumnCaption(0, CFileListCtrl::CountCaption(0, 0));
}

void CQuorvelDlg::OnMarkAllFiles() {
    m_fileList->SetAllRowsMark(true);
}

void CQuorvelDlg::OnUnmarkAllFiles() {
    m_fileList->SetAllRowsMark(false);
}

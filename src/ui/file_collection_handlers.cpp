// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "app/settings.h"
#include "filelist/file_kind_filters.h"
#include "filelist/file_list_ctrl.h"
#include "platform/file_status.h"
#include "prompts/prompts.h"
#include "res/control_ids.h"
#include "ui/quorvel_dlg.h"

namespace {

// The local paths of a drop, in the drop's order.
QStringList droppedPaths(const QMimeData& data) {
    QStringList paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

bool containsLocalFiles(const QMimeData* data) {
    return data != nullptr && !droppedPaths(*data).isEmpty();
}

// Whether a point of the dialog lies on the widget, its frame included.
bool hits(const QWidget& dialog, const QWidget& widget, const QPoint& dialogPoint) {
    const QRect onScreen(widget.mapToGlobal(QPoint(0, 0)), widget.size());
    return onScreen.contains(dialog.mapToGlobal(dialogPoint));
}

}  // namespace

void CQuorvelDlg::BuildFileDialogFilter() {
    FileKindFilters =
        quorvel::filelist::buildFileKindFilters(quorvel::app::Settings::dialogFileKind());
    m_fileDialogFilter = quorvel::filelist::toQtNameFilters(FileKindFilters);
}

void CQuorvelDlg::OnFileSetting() {
    QDir::setCurrent(m_lastFileFolder);
    BuildFileDialogFilter();
    const quorvel::ui::FileDialogResult chosen =
        m_prompts.openFiles(this, QStringLiteral("開く"), QDir::currentPath(), m_fileDialogFilter);
    if (chosen.paths.isEmpty()) {
        return;
    }
    const qsizetype filter = m_fileDialogFilter.indexOf(chosen.selectedFilter);
    if (filter >= 0) {
        quorvel::app::Settings::setDialogFileKind(
            FileKindFilters[static_cast<std::size_t>(filter)]);
    }
    for (const QString& path : chosen.paths) {
        quorvel::platform::FileStatus status;
        if (quorvel::platform::queryFileStatus(path.toStdString(), status)) {
            m_fileList->AddFile(path);
        }
    }
    // The dialog leaves the working directory at the folder of the chosen files.
    QDir::setCurrent(QFileInfo(chosen.paths.front()).absolutePath());
    m_lastFileFolder = QDir::currentPath();
    RefreshFileListCaption();
}

void CQuorvelDlg::OnDropFiles(const QStringList& paths, const QPoint& dialogPoint) {
    if (hits(*this, *m_fileList, dialogPoint)) {
        DropOnFileList(paths);
        return;
    }
    DropFolderOnTree(paths, dialogPoint);
}

void CQuorvelDlg::DropOnFileList(const QStringList& paths) {
    const bool walkFolders = control<QCheckBox>(MainControl::SubDirSearch)->isChecked();
    const QString kinds =
        walkFolders ? control<QComboBox>(MainControl::FileKindCombo)->currentText() : QString();
    m_fileList->AddDroppedItems(paths, kinds, walkFolders);
    RefreshFileListCaption();
}

void CQuorvelDlg::RefreshFileListCaption() {
    m_fileList->RefreshCaption(m_fileList->GetMarkedCount());
    m_fileList->resizeColumnToContents(0);
}

void CQuorvelDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (containsLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void CQuorvelDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (containsLocalFiles(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void CQuorvelDlg::dropEvent(QDropEvent* event) {
    if (!containsLocalFiles(event->mimeData())) {
        return;
    }
    event->acceptProposedAction();
    OnDropFiles(droppedPaths(*event->mimeData()), event->position().toPoint());
}

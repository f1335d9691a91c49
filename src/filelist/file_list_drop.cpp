// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFileInfo>

#include "filelist/file_collection.h"
#include "filelist/file_list_ctrl.h"
#include "prompts/wait_cursor.h"

namespace {

enum class DroppedKind { Missing, File, Folder, Other };

// Devices, FIFOs and sockets are never listed: opening one as a document could block.
// QFileInfo takes the path as the system spells it (UTF-16 on Windows, so Japanese names too).
DroppedKind classify(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return DroppedKind::Missing;
    }
    if (info.isDir()) {
        return DroppedKind::Folder;
    }
    return info.isFile() ? DroppedKind::File : DroppedKind::Other;
}

}  // namespace

void CFileListCtrl::AddDroppedItems(const QStringList& paths, const QString& kinds,
                                    bool walkFolders) {
    const quorvel::ui::WaitCursor waitCursor;
    // Hidden while rows are added: the view lays out once, at the end.
    const bool wasHidden = isHidden();
    hide();
    for (const QString& path : paths) {
        switch (classify(path)) {
            case DroppedKind::File:
                AddFile(path);
                break;
            case DroppedKind::Folder:
                if (walkFolders) {
                    AddFolderTree(path, kinds);
                }
                break;
            case DroppedKind::Missing:
            case DroppedKind::Other:
                break;
        }
    }
    setHidden(wasHidden);
}

void CFileListCtrl::AddFolderTree(const QString& folder, const QString& kinds) {
    if (kinds.isEmpty()) {
        return;
    }
    for (const std::string& pattern : quorvel::filelist::splitKinds(kinds.toStdString())) {
        AddFolderFiles(folder, QString::fromStdString(pattern));
    }
    // A walk ends in the parent of the folder walked, as the file dialog may start there.
    QDir::setCurrent(QFileInfo(QDir::cleanPath(folder)).absolutePath());
}

void CFileListCtrl::AddFolderFiles(const QString& folder, const QString& pattern) {
    const std::vector<std::string> files =
        quorvel::filelist::CollectFolderFiles(folder.toStdString(), pattern.toStdString());
    for (const std::string& file : files) {
        AddFile(QString::fromStdString(file));
    }
}

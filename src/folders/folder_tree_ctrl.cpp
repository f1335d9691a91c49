// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders/folder_tree_ctrl.h"

#include <vector>

using quorvel::platform::FileIdentity;

void CollectSubfolders(const std::string& folder, MarkedFolderSet& set,
                       FolderIdentitySet& visited) {
    if (const auto identity = quorvel::platform::folderIdentity(folder)) {
        if (!visited.insert(*identity).second) {
            return;
        }
    }
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string current = std::move(pending.back());
        pending.pop_back();
        for (auto& subfolder : quorvel::platform::listSubfolders(current)) {
            if (!visited.insert(subfolder.identity).second) {
                continue;
            }
            set.emplace(subfolder.path, nullptr);
            pending.push_back(std::move(subfolder.path));
        }
    }
}

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);  // the root has no expand button; double click opens it
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAccessibleName(QStringLiteral("フォルダツリー"));
    connect(this, &QTreeWidget::itemExpanded, this, &CFolderTreeCtrl::OnItemExpanding);
}

QTreeWidgetItem* CFolderTreeCtrl::InsertFolderItem(const QString& label, const std::string& path,
                                                   QTreeWidgetItem* parent,
                                                   const std::optional<FileIdentity>& identity) {
    auto* item = new QTreeWidgetItem(QStringList{label});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, m_bMarkNewItems != 0 ? Qt::Checked : Qt::Unchecked);
    m_itemInfo[item] = FolderItemInfo{path, true, identity};
    if (parent != nullptr) {
        parent->addChild(item);
    } else {
        addTopLevelItem(item);
    }
    return item;
}

void CFolderTreeCtrl::InsertSubfolders(QTreeWidgetItem* item) {
    if (isLinkToAncestor(item)) {
        return;
    }
    for (const auto& subfolder : quorvel::platform::listSubfolders(GetItemPath(item))) {
        InsertFolderItem(QString::fromStdString(subfolder.name), subfolder.path, item,
                         subfolder.identity);
    }
}

bool CFolderTreeCtrl::isLinkToAncestor(const QTreeWidgetItem* item) const {
    const auto entry = m_itemInfo.find(item);
    if (entry == m_itemInfo.end() || !entry->second.identity) {
        return false;
    }
    const auto& identity = entry->second.identity;
    for (const QTreeWidgetItem* ancestor = item->parent(); ancestor != nullptr;
         ancestor = ancestor->parent()) {
        const auto ancestorEntry = m_itemInfo.find(ancestor);
        if (ancestorEntry != m_itemInfo.end() && ancestorEntry->second.identity == identity) {
            return true;
        }
    }
    return false;
}

void CFolderTreeCtrl::OnItemExpanding(QTreeWidgetItem* item) {
    const auto entry = m_itemInfo.find(item);
    if (entry == m_itemInfo.end() || !entry->second.expandPending) {
        return;
    }
    for (int index = 0; index < item->childCount(); ++index) {
        InsertSubfolders(item->child(index));
    }
    entry->second.expandPending = false;
}

void CFolderTreeCtrl::MarkAllItems() {
    m_bMarkNewItems = 1;
    for (const auto& [item, info] : m_itemInfo) {
        item->setCheckState(0, Qt::Checked);
    }
}

void CFolderTreeCtrl::UnmarkAllItems() {
    m_bMarkNewItems = 0;
    for (const auto& [item, info] : m_itemInfo) {
        item->setCheckState(0, Qt::Unchecked);
    }
}

void CFolderTreeCtrl::DeleteAllFolders() {
    m_itemInfo.clear();
    m_bMarkNewItems = 0;
    clear();
}

std::string CFolderTreeCtrl::GetItemPath(const QTreeWidgetItem* item) const {
    const auto entry = m_itemInfo.find(item);
    return entry != m_itemInfo.end() ? entry->second.path : std::string();
}

void CFolderTreeCtrl::CollectMarkedFolders(MarkedFolderSet& set, bool includeSubfolders) const {
    set.clear();
    FolderIdentitySet visited;
    for (const auto& [item, info] : m_itemInfo) {
        if (item->checkState(0) != Qt::Checked) {
            continue;
        }
        const bool added = set.emplace(info.path, item).second;
        if (added && includeSubfolders) {
            CollectSubfolders(info.path, set, visited);
        }
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/folder_listing.h"

// What the tree knows of one of its items.
struct FolderItemInfo {
    std::string path;  // the root: as chosen; others: the parent's path, a separator, the name
    bool expandPending = true;  // the grandchildren are loaded at the first expansion
    std::optional<quorvel::platform::FileIdentity> identity;
};

// The folders of one change run, unique and in byte order of their paths. The value is
// the tree item of a ticked folder, or null for a folder added as a subfolder.
using MarkedFolderSet = std::map<std::string, const QTreeWidgetItem*>;

// Folders already met in one collection, so that a link never leads into a folder twice.
using FolderIdentitySet = std::set<quorvel::platform::FileIdentity>;

// Adds every folder below `folder`, at any depth, to the set. A folder met before (also
// through a link, for example one back to an ancestor) is neither added nor entered again.
void CollectSubfolders(const std::string& folder, MarkedFolderSet& set, FolderIdentitySet& visited);

// The folder tree of the folder pane: one root, filled two levels ahead as the user
// opens it, with a check box (a mark) on every folder.
class CFolderTreeCtrl : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CFolderTreeCtrl(QWidget* parent = nullptr);

    // Appends a folder under `parent` (at the top level when null), ticked when new
    // items are to come in ticked.
    QTreeWidgetItem* InsertFolderItem(
        const QString& label, const std::string& path, QTreeWidgetItem* parent,
        const std::optional<quorvel::platform::FileIdentity>& identity);
    // Inserts the subfolders of the item's folder under it, unless the folder is one of
    // the item's own ancestors (a link back up the tree).
    void InsertSubfolders(QTreeWidgetItem* item);
    void MarkAllItems();
    void UnmarkAllItems();
    void DeleteAllFolders();
    // The item's folder path; empty for an item the tree does not know.
    std::string GetItemPath(const QTreeWidgetItem* item) const;
    void CollectMarkedFolders(MarkedFolderSet& set, bool includeSubfolders) const;

    bool marksNewItems() const { return m_bMarkNewItems != 0; }

  private:
    void OnItemExpanding(QTreeWidgetItem* item);
    bool isLinkToAncestor(const QTreeWidgetItem* item) const;

    int m_bMarkNewItems = 0;
    std::map<QTreeWidgetItem*, FolderItemInfo, std::less<>> m_itemInfo;
};

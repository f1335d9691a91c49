// SPDX-License-Identifier: GPL-3.0-or-later
#include "folders/folder_tree_ctrl.h"

#include <gtest/gtest.h>

#include <QFile>

#include "support/symbolic_links.h"
#include "support/temp_folder.h"

namespace {

using quorvel::test::TempFolder;

// What a new root does to the tree: it replaces everything with the root and its children.
QTreeWidgetItem* setRoot(CFolderTreeCtrl& tree, const std::string& path) {
    tree.DeleteAllFolders();
    QTreeWidgetItem* root = tree.InsertFolderItem(QFile::decodeName(path.c_str()), path, nullptr,
                                                  quorvel::platform::folderIdentity(path));
    tree.InsertSubfolders(root);
    return root;
}

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& name) {
    for (int index = 0; index < parent->childCount(); ++index) {
        if (parent->child(index)->text(0) == name) {
            return parent->child(index);
        }
    }
    return nullptr;
}

QStringList childNames(const QTreeWidgetItem* parent) {
    QStringList names;
    for (int index = 0; index < parent->childCount(); ++index) {
        names << parent->child(index)->text(0);
    }
    return names;
}

// Every item of the tree, depth first.
std::vector<QTreeWidgetItem*> allItems(CFolderTreeCtrl& tree) {
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        items.push_back(*it);
    }
    return items;
}

std::vector<std::string> pathsOf(const MarkedFolderSet& set) {
    std::vector<std::string> paths;
    for (const auto& [path, item] : set) {
        paths.push_back(path);
    }
    return paths;
}

class FolderTreeTest : public ::testing::Test {
  protected:
    FolderTreeTest() {
        // top/{a/{a1/{a11},a2},b/{b1},c}
        for (const char* folder : {"top/a/a1/a11", "top/a/a2", "top/b/b1", "top/c"}) {
            temp.makeFolder(folder);
        }
        temp.makeFile("top/a/file.doc");
    }

    TempFolder temp;
    CFolderTreeCtrl tree;
};

TEST_F(FolderTreeTest, NewRootShowsItselfAndItsChildrenOnly) {
    QTreeWidgetItem* root = setRoot(tree, temp / "top");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(root->text(0), QString::fromStdString(temp / "top"));
    EXPECT_EQ(tree.GetItemPath(root), temp / "top");
    EXPECT_EQ(childNames(root), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(tree.GetItemPath(childNamed(root, "b")), temp / "top/b");
    EXPECT_EQ(childNamed(root, "a")->childCount(), 0);
    EXPECT_FALSE(root->isExpanded());
    EXPECT_EQ(tree.currentItem(), nullptr);
    EXPECT_FALSE(tree.rootIsDecorated());
    EXPECT_FALSE(tree.accessibleName().isEmpty());

    EXPECT_EQ(setRoot(tree, temp / "top/c")->childCount(), 0);
    EXPECT_EQ(allItems(tree).size(), 1U);

    EXPECT_EQ(setRoot(tree, temp / "missing")->childCount(), 0);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
}

TEST_F(FolderTreeTest, ExpandingLoadsTheGrandchildrenOnce) {
    QTreeWidgetItem* root = setRoot(tree, temp / "top");
    root->setExpanded(true);
    QTreeWidgetItem* a = childNamed(root, "a");
    EXPECT_EQ(childNames(a), (QStringList{"a1", "a2"}));
    EXPECT_EQ(childNames(childNamed(root, "b")), QStringList{"b1"});
    EXPECT_EQ(childNamed(a, "a1")->childCount(), 0);

    root->setExpanded(false);
    root->setExpanded(true);
    EXPECT_EQ(allItems(tree).size(), 7U);

    // The first expansion of a child loads its own grandchildren, also for the last child.
    a->setExpanded(true);
    EXPECT_EQ(childNames(childNamed(a, "a1")), QStringList{"a11"});
    a->setExpanded(false);
    a->setExpanded(true);
    childNamed(root, "c")->setExpanded(true);
    EXPECT_EQ(allItems(tree).size(), 8U);

    std::set<std::string> paths;
    for (QTreeWidgetItem* item : allItems(tree)) {
        EXPECT_TRUE(paths.insert(tree.GetItemPath(item)).second);
    }
}

TEST_F(FolderTreeTest, NewItemsFollowTheLastBulkMarkAction) {
    struct Case {
        const char* name;
        std::function<void()> action;
        Qt::CheckState newItems;
    };
    const Case cases[] = {
        {"after mark all", [&] { tree.MarkAllItems(); }, Qt::Checked},
        {"after unmark all", [&] { tree.UnmarkAllItems(); }, Qt::Unchecked},
        {"after mark all, then a new root",
         [&] {
             tree.MarkAllItems();
             setRoot(tree, temp / "top");
         },
         Qt::Unchecked},
        {"after clear, mark all on the empty tree, a new root",
         [&] {
             tree.DeleteAllFolders();
             tree.MarkAllItems();
             setRoot(tree, temp / "top");
         },
         Qt::Unchecked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTreeWidgetItem* root = setRoot(tree, temp / "top");
        childNamed(root, "b")->setCheckState(0, Qt::Checked);
        c.action();
        root = tree.topLevelItem(0);
        const auto before = allItems(tree).size();
        root->setExpanded(true);
        const auto items = allItems(tree);
        ASSERT_GT(items.size(), before);
        for (QTreeWidgetItem* item : items) {
            if (!item->parent() || !item->parent()->parent()) {
                continue;
            }
            EXPECT_EQ(item->checkState(0), c.newItems) << item->text(0).toStdString();
        }
    }
}

TEST_F(FolderTreeTest, MarksOnlyTheItemTicked) {
    QTreeWidgetItem* root = setRoot(tree, temp / "top");
    root->setExpanded(true);
    childNamed(root, "a")->setCheckState(0, Qt::Checked);
    EXPECT_EQ(root->checkState(0), Qt::Unchecked);
    EXPECT_EQ(childNamed(childNamed(root, "a"), "a1")->checkState(0), Qt::Unchecked);

    tree.MarkAllItems();
    for (QTreeWidgetItem* item : allItems(tree)) {
        EXPECT_EQ(item->checkState(0), Qt::Checked);
    }
    tree.UnmarkAllItems();
    for (QTreeWidgetItem* item : allItems(tree)) {
        EXPECT_EQ(item->checkState(0), Qt::Unchecked);
    }
}

TEST_F(FolderTreeTest, CollectsTickedFoldersWithOrWithoutTheirSubfolders) {
    QTreeWidgetItem* root = setRoot(tree, temp / "top");
    root->setExpanded(true);
    QTreeWidgetItem* a = childNamed(root, "a");
    a->setCheckState(0, Qt::Checked);
    childNamed(a, "a1")->setCheckState(0, Qt::Checked);  // also below a ticked folder
    childNamed(root, "c")->setCheckState(0, Qt::Checked);

    MarkedFolderSet set{{"stale", nullptr}};
    tree.CollectMarkedFolders(set, false);
    EXPECT_EQ(pathsOf(set),
              (std::vector<std::string>{temp / "top/a", temp / "top/a/a1", temp / "top/c"}));
    EXPECT_EQ(set.at(temp / "top/a"), a);

    tree.CollectMarkedFolders(set, true);
    EXPECT_EQ(pathsOf(set),
              (std::vector<std::string>{temp / "top/a", temp / "top/a/a1", temp / "top/a/a1/a11",
                                        temp / "top/a/a2", temp / "top/c"}));

    tree.UnmarkAllItems();
    tree.CollectMarkedFolders(set, true);
    EXPECT_TRUE(set.empty());
}

TEST_F(FolderTreeTest, LinksBackToAnAncestorNeitherLoopNorNest) {
    QUORVEL_SKIP_WITHOUT_SYMBOLIC_LINKS();
    temp.makeLink("top/a/a1/back", temp / "top");
    temp.makeLink("top/c/to_b", temp / "top/b");

    MarkedFolderSet set;
    FolderIdentitySet visited;
    CollectSubfolders(temp / "top", set, visited);
    // Each folder once: the link to the ancestor is not entered, and b is reached once,
    // either as itself or through the link to it.
    EXPECT_EQ(pathsOf(set),
              (std::vector<std::string>{temp / "top/a", temp / "top/a/a1", temp / "top/a/a1/a11",
                                        temp / "top/a/a2", temp / "top/b", temp / "top/b/b1",
                                        temp / "top/c"}));

    QTreeWidgetItem* root = setRoot(tree, temp / "top");
    root->setExpanded(true);
    QTreeWidgetItem* a1 = childNamed(childNamed(root, "a"), "a1");
    childNamed(root, "a")->setExpanded(true);
    EXPECT_EQ(childNames(a1), (QStringList{"a11", "back"}));
    a1->setExpanded(true);
    EXPECT_EQ(childNamed(a1, "back")->childCount(), 0);
}

TEST_F(FolderTreeTest, UnknownItemsHaveNoPath) {
    setRoot(tree, temp / "top");
    QTreeWidgetItem stranger(QStringList{"x"});
    EXPECT_EQ(tree.GetItemPath(&stranger), "");
    EXPECT_EQ(tree.GetItemPath(nullptr), "");
    tree.DeleteAllFolders();
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_FALSE(tree.marksNewItems());
}

}  // namespace

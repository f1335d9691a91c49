// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <set>
#include <string>
#include <vector>

class QMenu;

// Process-wide sort direction of the file list: 0 ascending, otherwise descending. Each
// header click sorts with it and then flips it; clearing the list does not reset it.
extern int g_sortDescending;

// The file list (MainControl::FileList): one row per gathered file, each with a mark (check box).
// Marked rows are the files a batch works on; the first selected row is the one shown.
class CFileListCtrl : public QTreeWidget {
    Q_OBJECT

  public:
    explicit CFileListCtrl(QWidget* parent = nullptr);
    ~CFileListCtrl() override;

    // Inserts the columns with these captions, each getting an equal share of the width.
    void SetUpColumns(const QStringList& captions);
    // Adds a file, its path spelled with the system's separators, unless it is listed already;
    // the new row's position, or -1 for a duplicate.
    // Enables the list in both cases. Neither the marked count nor the caption change.
    int AddFile(const QString& path);
    // The remembered number of marked rows, without recounting.
    unsigned GetMarkedCount() const { return m_markedCount; }
    // Counts the marked rows and remembers the count.
    unsigned CountMarkedRows();
    // Positions of the marked rows, top to bottom.
    std::vector<int> GetMarkedRows() const;
    // Replaces the caption of an existing column; false when there is no such column.
    bool SetColumnCaption(int column, const QString& text);
    // Shows "ファイル名(選択数/総数：marked/rows)" on column 0.
    void RefreshCaption(unsigned marked);

    void SetSelectedRowsMark(bool mark);
    void MoveMarkedRowsToTop();
    void MoveMarkedRowsToBottom();
    void RemoveMarkedRows();
    bool ClearAllRows();
    // Marks or unmarks every row; sets the count and the caption to match.
    void SetAllRowsMark(bool mark);
    void ToggleRowMark(int row);
    // Orders the rows byte-wise by path, in the direction of g_sortDescending, then flips it.
    void SortRowsByPath();

    // Adds what was dropped: files always (regular files only), folders only when walkFolders
    // is set, searched with their subfolders for each ';'-separated piece of kinds.
    void AddDroppedItems(const QStringList& paths, const QString& kinds, bool walkFolders);
    // Adds every file of the folder tree (the folder included) that matches the pattern.
    void AddFolderFiles(const QString& folder, const QString& pattern);

    QString RowPath(int row) const;
    bool IsRowMarked(int row) const;
    // The first selected row from the top, or -1.
    int FirstSelectedRow() const;

    // Caption texts of column 0.
    static QString BaseCaption();
    static QString CountCaption(unsigned marked, unsigned rows);

  signals:
    // A row's selection, mark or text changed. A move of the focus alone is not reported:
    // it does not change which file is shown, and reporting it would show the file twice.
    void rowChanged();
    // A double-click: the row under the pointer, -1 below the last row.
    void rowDoubleClicked(int row);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void AddFolderTree(const QString& folder, const QString& kinds);
    QTreeWidgetItem* NewRow(const QString& path, bool marked) const;
    void SetRowMark(int row, bool mark);
    // Runs a change of many rows with one row-change notice at its end.
    template <class Change>
    void ChangeRows(Change change);
    void NotifyRowChanged();

    unsigned m_markedCount = 0;
    std::set<std::string> m_pathSet;
    QMenu* m_contextMenu = nullptr;
    bool m_bulkChange = false;
};

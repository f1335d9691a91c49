// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/file_list_ctrl.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

#include "res/control_ids.h"

int g_sortDescending = 0;

namespace {

// The duplicate key of a path: compared the way the platform's file system compares names.
std::string pathKey(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUpper().toStdString();
#else
    return path.toStdString();
#endif
}

// A row that sorts by the bytes of its path (UTF-8), as unsigned values.
class FileRowItem : public QTreeWidgetItem {
  public:
    explicit FileRowItem(const QString& path)
        : QTreeWidgetItem(QStringList{path}), m_bytes(path.toUtf8()) {}

    bool operator<(const QTreeWidgetItem& other) const override {
        const auto& otherBytes = static_cast<const FileRowItem&>(other).m_bytes;
        return std::lexicographical_compare(m_bytes.begin(), m_bytes.end(), otherBytes.begin(),
                                            otherBytes.end(), [](char a, char b) {
                                                return static_cast<unsigned char>(a) <
                                                       static_cast<unsigned char>(b);
                                            });
    }

  private:
    QByteArray m_bytes;
};

}  // namespace

CFileListCtrl::CFileListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    setEnabled(false);

    // Menu 140, popup "ListView".
    m_contextMenu = new QMenu(QStringLiteral("ListView"), this);
    const auto addCommand = [this](int id, const char* caption, auto handler) {
        QAction* action = m_contextMenu->addAction(QString::fromUtf8(caption));
        action->setObjectName(idName(id));
        connect(action, &QAction::triggered, this, handler);
    };
    addCommand(MenuCommand::MarkSelectedFiles, "選択File をMarkする(&M)",
               [this] { SetSelectedRowsMark(true); });
    addCommand(MenuCommand::UnmarkSelectedFiles, "選択FileをMark解除する(&U)",
               [this] { SetSelectedRowsMark(false); });
    m_contextMenu->addSeparator();
    addCommand(MenuCommand::MarkedFilesToTop, "Mark Fileを先頭に置く(&T)",
               [this] { MoveMarkedRowsToTop(); });
    addCommand(MenuCommand::MarkedFilesToBottom, "Mark Fileを最後に置く(&B)",
               [this] { MoveMarkedRowsToBottom(); });

    connect(this, &QTreeWidget::itemSelectionChanged, this, &CFileListCtrl::NotifyRowChanged);
    connect(this, &QTreeWidget::itemChanged, this, &CFileListCtrl::NotifyRowChanged);
}

CFileListCtrl::~CFileListCtrl() = default;

QString CFileListCtrl::BaseCaption() {
    return QStringLiteral("ファイル名");
}

QString CFileListCtrl::CountCaption(unsigned marked, unsigned rows) {
    return QStringLiteral("ファイル名(選択数/総数：%1/%2)").arg(marked).arg(rows);
}

void CFileListCtrl::SetUpColumns(const QStringList& captions) {
    m_markedCount = 0;
    setColumnCount(static_cast<int>(captions.size()));
    setHeaderLabels(captions);
    if (captions.isEmpty()) {
        return;
    }
    const int width = viewport()->width() / static_cast<int>(captions.size());
    for (int column = 0; column < captions.size(); ++column) {
        setColumnWidth(column, width);
    }
}

QTreeWidgetItem* CFileListCtrl::NewRow(const QString& path, bool marked) const {
    auto* row = new FileRowItem(path);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(0, marked ? Qt::Checked : Qt::Unchecked);
    return row;
}

int CFileListCtrl::AddFile(const QString& given) {
    setEnabled(true);
    // One spelling per file, the system's own: Qt's dialogs and drops hand over '/' on Windows.
    const QString path = QDir::toNativeSeparators(given);
    if (!m_pathSet.insert(pathKey(path)).second) {
        return -1;
    }
    const int position = topLevelItemCount();
    addTopLevelItem(NewRow(path, false));
    return position;
}

QString CFileListCtrl::RowPath(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(0) : QString();
}

bool CFileListCtrl::IsRowMarked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) != Qt::Unchecked;
}

void CFileListCtrl::SetRowMark(int row, bool mark) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setCheckState(0, mark ? Qt::Checked : Qt::Unchecked);
    }
}

int CFileListCtrl::FirstSelectedRow() const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected()) {
            return row;
        }
    }
    return -1;
}

unsigned CFileListCtrl::CountMarkedRows() {
    m_markedCount = static_cast<unsigned>(GetMarkedRows().size());
    return m_markedCount;
}

std::vector<int> CFileListCtrl::GetMarkedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (IsRowMarked(row)) {
            rows.push_back(row);
        }
    }
    return rows;
}

bool CFileListCtrl::SetColumnCaption(int column, const QString& text) {
    if (column < 0 || column >= columnCount()) {
        return false;
    }
    headerItem()->setText(column, text);
    return true;
}

void CFileListCtrl::RefreshCaption(unsigned marked) {
    SetColumnCaption(0, CountCaption(marked, static_cast<unsigned>(topLevelItemCount())));
}

template <class Change>
void CFileListCtrl::ChangeRows(Change change) {
    const bool outer = !m_bulkChange;
    m_bulkChange = true;
    change();
    if (outer) {
        m_bulkChange = false;
        NotifyRowChanged();
    }
}

void CFileListCtrl::NotifyRowChanged() {
    if (!m_bulkChange) {
        emit rowChanged();
    }
}

void CFileListCtrl::SetSelectedRowsMark(bool mark) {
    if (FirstSelectedRow() < 0) {
        return;
    }
    ChangeRows([&] {
        for (int row = 0; row < topLevelItemCount(); ++row) {
            if (topLevelItem(row)->isSelected()) {
                SetRowMark(row, mark);
            }
        }
    });
    RefreshCaption(CountMarkedRows());
}

// Each marked row goes to position 0 in turn, so the marked rows end at the top in reverse
// order and the unmarked rows keep their order below them.
void CFileListCtrl::MoveMarkedRowsToTop() {
    ChangeRows([&] {
        for (int row = 0; row < topLevelItemCount(); ++row) {
            if (IsRowMarked(row)) {
                const QString path = RowPath(row);
                delete takeTopLevelItem(row);
                insertTopLevelItem(0, NewRow(path, true));
            }
        }
    });
}

// Each marked row, from the bottom up, goes to the end: the marked rows end at the bottom in
// reverse order.
void CFileListCtrl::MoveMarkedRowsToBottom() {
    ChangeRows([&] {
        const int count = topLevelItemCount();
        for (int row = count - 1; row >= 0; --row) {
            if (IsRowMarked(row)) {
                insertTopLevelItem(count, NewRow(RowPath(row), true));
                delete takeTopLevelItem(row);
            }
        }
    });
}

void CFileListCtrl::RemoveMarkedRows() {
    ChangeRows([&] {
        for (int row = topLevelItemCount() - 1; row >= 0; --row) {
            if (IsRowMarked(row)) {
                m_pathSet.erase(pathKey(RowPath(row)));
                delete takeTopLevelItem(row);
            }
        }
    });
    if (topLevelItemCount() == 0) {
        setEnabled(false);
    }
}

bool CFileListCtrl::ClearAllRows() {
    ChangeRows([&] { clear(); });
    m_pathSet.clear();
    m_markedCount = 0;
    setEnabled(false);
    return true;
}

void CFileListCtrl::SetAllRowsMark(bool mark) {
    const int count = topLevelItemCount();
    ChangeRows([&] {
        for (int row = 0; row < count; ++row) {
            SetRowMark(row, mark);
        }
    });
    m_markedCount = mark ? static_cast<unsigned>(count) : 0;
    RefreshCaption(m_markedCount);
}

void CFileListCtrl::ToggleRowMark(int row) {
    if (row < 0 || row >= topLevelItemCount()) {
        return;
    }
    SetRowMark(row, !IsRowMarked(row));
    RefreshCaption(CountMarkedRows());
}

void CFileListCtrl::SortRowsByPath() {
    sortItems(0, g_sortDescending == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    g_sortDescending = g_sortDescending == 0 ? 1 : 0;
}

void CFileListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    if (topLevelItemCount() == 0) {
        return;
    }
    m_contextMenu->exec(event->globalPos());
}

void CFileListCtrl::keyReleaseEvent(QKeyEvent* event) {
    QTreeWidget::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Space) {
        RefreshCaption(CountMarkedRows());
    }
}

// A click on a check box adjusts the remembered count by one instead of recounting.
void CFileListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const int row = indexAt(event->position().toPoint()).row();
    const bool before = IsRowMarked(row);
    QTreeWidget::mouseReleaseEvent(event);
    if (row < 0 || IsRowMarked(row) == before) {
        return;
    }
    const auto rows = static_cast<unsigned>(topLevelItemCount());
    const unsigned count = IsRowMarked(row) ? std::min(m_markedCount + 1, rows)
                                            : (m_markedCount > 0 ? m_markedCount - 1 : 0);
    if (count != m_markedCount) {
        RefreshCaption(count);
        m_markedCount = count;
    }
}

void CFileListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    emit rowDoubleClicked(indexAt(event->position().toPoint()).row());
}

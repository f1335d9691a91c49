// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/file_list_ctrl.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>

#include "res/control_ids.h"

namespace {

class FileListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        list.resize(400, 300);
        list.SetUpColumns({CFileListCtrl::BaseCaption()});
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    // Rows given as "A✓" (marked) or "B".
    void fill(const QStringList& rows) {
        for (const QString& row : rows) {
            const bool marked = row.endsWith(u'✓');
            const int position = list.AddFile(marked ? row.chopped(1) : row);
            ASSERT_GE(position, 0);
            list.topLevelItem(position)->setCheckState(0, marked ? Qt::Checked : Qt::Unchecked);
        }
        list.RefreshCaption(list.CountMarkedRows());
    }

    QStringList rows() const {
        QStringList result;
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            result << QDir::fromNativeSeparators(list.RowPath(row)) +
                          (list.IsRowMarked(row) ? QStringLiteral("✓") : QString());
        }
        return result;
    }

    QString caption() const { return list.headerItem()->text(0); }

    QPoint checkBoxCenter(int row) {
        const QRect rowRect = list.visualItemRect(list.topLevelItem(row));
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.rect = rowRect;
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box =
            list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list);
        return box.center();
    }

    CFileListCtrl list;
};

TEST_F(FileListTest, StartsEmptyAndDisabledWithThePlainCaption) {
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(caption(), QStringLiteral("ファイル名"));
    EXPECT_EQ(list.GetMarkedCount(), 0U);
    EXPECT_FALSE(list.SetColumnCaption(1, QStringLiteral("x")));
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(FileListTest, AddFileRefusesDuplicatesAsTheFileSystemComparesNames) {
    EXPECT_EQ(list.AddFile(QStringLiteral("/docs/Report.doc")), 0);
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(list.AddFile(QStringLiteral("/docs/Report.doc")), -1);
#ifdef _WIN32
    // Windows file names are not case-sensitive, and '/' and '\\' are one separator.
    EXPECT_EQ(list.AddFile(QStringLiteral("\\docs\\report.doc")), -1);
    EXPECT_EQ(list.RowPath(0), QStringLiteral("\\docs\\Report.doc"));
#else
    // Linux file names are case-sensitive: these are two files.
    EXPECT_EQ(list.AddFile(QStringLiteral("/docs/report.doc")), 1);
    EXPECT_EQ(list.RowPath(0), QStringLiteral("/docs/Report.doc"));
#endif
    const int japanese = list.topLevelItemCount();
    EXPECT_EQ(list.AddFile(QStringLiteral("/文書/報告.doc")), japanese);
    EXPECT_EQ(list.AddFile(QStringLiteral("/文書/報告.doc")), -1);
    EXPECT_EQ(list.topLevelItemCount(), japanese + 1);
    EXPECT_FALSE(list.IsRowMarked(0));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名"));  // callers refresh once per batch
}

TEST_F(FileListTest, MovesPutMarkedRowsAtTopOrBottomInReverseOrder) {
    struct Case {
        int command;
        QStringList before;
        QStringList after;
    };
    const Case cases[] = {
        {MenuCommand::MarkedFilesToTop, {"A✓", "B", "C✓", "D"}, {"C✓", "A✓", "B", "D"}},
        {MenuCommand::MarkedFilesToBottom, {"A✓", "B", "C✓", "D"}, {"B", "D", "C✓", "A✓"}},
        {MenuCommand::MarkedFilesToTop, {"A", "B"}, {"A", "B"}},
        {MenuCommand::MarkedFilesToBottom, {"A", "B"}, {"A", "B"}},
    };
    for (const Case& c : cases) {
        list.ClearAllRows();
        fill(c.before);
        const QString captionBefore = caption();
        list.findChild<QAction*>(idName(c.command))->trigger();
        EXPECT_EQ(rows(), c.after) << c.command;
        EXPECT_EQ(caption(), captionBefore);
        EXPECT_TRUE(list.selectedItems().isEmpty() || !list.IsRowMarked(0));
        EXPECT_EQ(list.AddFile(QStringLiteral("A")), -1) << "path set unchanged";
    }
}

TEST_F(FileListTest, ContextMenuOpensOnlyOnAListWithRows) {
    const auto menuShown = [this] {
        bool shown = false;
        QTimer::singleShot(0, [&shown] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                shown = true;
                popup->close();
            }
        });
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  list.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list.viewport(), &request);
        QApplication::processEvents();
        return shown;
    };
    EXPECT_FALSE(menuShown());
    fill({"A"});
    EXPECT_TRUE(menuShown());
}

TEST_F(FileListTest, SelectedRowsAreMarkedAndUnmarkedFromTheMenu) {
    fill({"A", "B", "C"});
    list.findChild<QAction*>(idName(MenuCommand::MarkSelectedFiles))->trigger();
    EXPECT_EQ(rows(), (QStringList{"A", "B", "C"}));  // no selection: nothing changes
    list.topLevelItem(0)->setSelected(true);
    list.topLevelItem(2)->setSelected(true);
    list.findChild<QAction*>(idName(MenuCommand::MarkSelectedFiles))->trigger();
    EXPECT_EQ(rows(), (QStringList{"A✓", "B", "C✓"}));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：2/3)"));
    list.topLevelItem(0)->setSelected(false);
    list.findChild<QAction*>(idName(MenuCommand::UnmarkSelectedFiles))->trigger();
    EXPECT_EQ(rows(), (QStringList{"A✓", "B", "C"}));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：1/3)"));
}

TEST_F(FileListTest, HeaderSortIsByteWiseAndAlternatesForTheWholeProcess) {
    g_sortDescending = 0;
    fill({"c:/x/b.doc", "C:/x/A.doc✓", "c:/x/a2.doc"});
    list.topLevelItem(2)->setSelected(true);
    list.SortRowsByPath();
    EXPECT_EQ(rows(), (QStringList{"C:/x/A.doc✓", "c:/x/a2.doc", "c:/x/b.doc"}));
    EXPECT_TRUE(list.topLevelItem(1)->isSelected()) << "selection moves with its row";
    list.SortRowsByPath();
    EXPECT_EQ(rows(), (QStringList{"c:/x/b.doc", "c:/x/a2.doc", "C:/x/A.doc✓"}));
    list.ClearAllRows();
    fill({"b", "ab", "a"});
    list.SortRowsByPath();
    EXPECT_EQ(rows(), (QStringList{"a", "ab", "b"})) << "clearing keeps the alternation";
    list.SortRowsByPath();
    EXPECT_EQ(rows(), (QStringList{"b", "ab", "a"}));
}

TEST_F(FileListTest, RemovingAndClearingKeepThePathSetInStep) {
    fill({"A✓", "B", "C✓"});
    list.RemoveMarkedRows();
    EXPECT_EQ(rows(), (QStringList{"B"}));
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(list.AddFile(QStringLiteral("A")), 1);
    EXPECT_EQ(list.AddFile(QStringLiteral("B")), -1);
    list.SetAllRowsMark(true);
    list.RemoveMarkedRows();
    EXPECT_EQ(list.topLevelItemCount(), 0);
    EXPECT_FALSE(list.isEnabled());
    fill({"A✓", "B"});
    EXPECT_TRUE(list.ClearAllRows());
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(list.GetMarkedCount(), 0U);
    EXPECT_EQ(list.AddFile(QStringLiteral("A")), 0);
}

TEST_F(FileListTest, MarkingAllSetsCountAndCaption) {
    list.SetAllRowsMark(true);
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：0/0)"));
    fill({"A", "B", "C", "D"});
    list.SetAllRowsMark(true);
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：4/4)"));
    EXPECT_EQ(list.GetMarkedRows(), (std::vector<int>{0, 1, 2, 3}));
    list.SetAllRowsMark(false);
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：0/4)"));
    EXPECT_EQ(list.GetMarkedCount(), 0U);
}

TEST_F(FileListTest, CheckBoxClicksAdjustTheCountByOne) {
    fill({"A", "B", "C"});
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, checkBoxCenter(1));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：1/3)"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, checkBoxCenter(1));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：0/3)"));
    list.SetAllRowsMark(true);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, checkBoxCenter(0));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：2/3)"));
    EXPECT_EQ(list.GetMarkedCount(), 2U);
}

TEST_F(FileListTest, SpaceBarRecountsAfterToggling) {
    fill({"A", "B"});
    list.setFocus();
    list.setCurrentItem(list.topLevelItem(1));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(rows(), (QStringList{"A", "B✓"}));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：1/2)"));
}

TEST_F(FileListTest, DoubleClickReportsTheRowUnderThePointer) {
    fill({"A", "B"});
    QSignalSpy spy(&list, &CFileListCtrl::rowDoubleClicked);
    const QPoint onB = list.visualItemRect(list.topLevelItem(1)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, onB);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(onB.x(), 250));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy[0][0].toInt(), 1);
    EXPECT_EQ(spy[1][0].toInt(), -1);
    list.ToggleRowMark(1);
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：1/2)"));
    list.ToggleRowMark(-1);
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：1/2)"));
}

TEST_F(FileListTest, ManyRowChangesNotifyOnce) {
    fill({"A", "B", "C"});
    QSignalSpy spy(&list, &CFileListCtrl::rowChanged);
    list.SetAllRowsMark(true);
    EXPECT_EQ(spy.count(), 1);
    list.topLevelItem(0)->setSelected(true);
    EXPECT_GE(spy.count(), 2);
}

}  // namespace

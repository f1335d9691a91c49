// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/quorvel_app.h"
#include "app/settings.h"
#include "filelist/file_kind_filters.h"
#include "filelist/file_list_ctrl.h"
#include "folders/folder_tree_ctrl.h"
#include "res/control_ids.h"
#include "support/dialog_fixture.h"
#include "support/file_access.h"
#include "support/shown_path.h"
#include "support/temp_folder.h"

namespace quorvel::test {
namespace {

class FileCollectionHandlers : public DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        openDialog();
    }

    // Drops the paths at a point of the widget (its centre by default).
    void dropOn(QWidget& target, const std::vector<std::string>& paths,
                std::optional<QPoint> at = std::nullopt) const {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
        }
        data.setUrls(urls);
        const QPoint point = target.mapTo(dialog.get(), at.value_or(target.rect().center()));
        // Qt delivers a drop only to the widget that accepted the drag's entry.
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &enter);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.get(), &drop);
    }
    void setWalk(bool walk, const QString& kinds) const {
        dialog->control<QCheckBox>(MainControl::SubDirSearch)->setChecked(walk);
        dialog->control<QComboBox>(MainControl::FileKindCombo)->setEditText(kinds);
    }
    QStringList rows() const {
        QStringList paths;
        for (int row = 0; row < dialog->fileList().topLevelItemCount(); ++row) {
            paths.append(dialog->fileList().RowPath(row));
        }
        return paths;
    }
    // The paths as the list shows them, with the system's separators.
    static QStringList qt(const std::vector<std::string>& paths) {
        QStringList list;
        for (const std::string& path : paths) {
            list.append(shownPath(path));
        }
        return list;
    }
    void click1008() const { dialog->control<QPushButton>(MainControl::FileSetting)->click(); }
    QString caption() const { return dialog->fileList().headerItem()->text(0); }

    TempFolder m_folder;
};

TEST_F(FileCollectionHandlers, DroppedFilesAlwaysCountAndFoldersOnlyWhenWalked) {
    const std::string notes = m_folder.makeFile("議事録 メモ.txt");  // a name beyond ASCII
    const std::string folder = m_folder.makeFolder("A");
    m_folder.makeFile("A/a1.doc");
    m_folder.makeFile("A/a2.xls");
    m_folder.makeFile("A/p.PDF");
    m_folder.makeFolder("A/B");
    m_folder.makeFile("A/B/b1.doc");
    ASSERT_TRUE(makeFifo(m_folder / "pipe.doc"));

    setWalk(false, QStringLiteral("*.doc"));
    dropOn(dialog->fileList(), {notes, folder, m_folder / "pipe.doc", m_folder / "missing.doc"});
    EXPECT_EQ(rows(), qt({notes}));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：0/1)"));

    struct Case {
        const char* kinds;
        std::vector<std::string> added;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"*.doc;*.xls", {m_folder / "A/B/b1.doc", m_folder / "A/a1.doc", m_folder / "A/a2.xls"}},
        {"*.xls;;*.doc", {m_folder / "A/a2.xls", m_folder / "A/B/b1.doc", m_folder / "A/a1.doc"}},
        {" *.doc", {}},
        // PDFs only where the kinds name them: the default kinds leave them out.
        {"*.doc;*.xls;*.ppt;*.jtd",
         {m_folder / "A/B/b1.doc", m_folder / "A/a1.doc", m_folder / "A/a2.xls"}},
        {"*.doc;*.pdf", {m_folder / "A/B/b1.doc", m_folder / "A/a1.doc", m_folder / "A/p.PDF"}},
    };
    for (const Case& c : cases) {
        dialog->control<QPushButton>(MainControl::ClearList)->click();
        setWalk(true, QString::fromUtf8(c.kinds));
        dropOn(dialog->fileList(), {folder, m_folder / "A/a1.doc"});
        std::vector<std::string> expected = c.added;
        if (std::find(expected.begin(), expected.end(), m_folder / "A/a1.doc") == expected.end()) {
            expected.push_back(m_folder / "A/a1.doc");
        }
        EXPECT_EQ(rows(), qt(expected)) << c.kinds;
        EXPECT_TRUE(dialog->fileList().isVisible());
    }
}

// "quorvel a.doc folder/": the same rows as a drop of those paths on the list; names are
// taken against the working directory of the start, and missing ones skipped silently.
TEST_F(FileCollectionHandlers, FilesNamedOnTheCommandLineEnterAsADropOnTheList) {
    m_folder.makeFile("a.doc");
    m_folder.makeFile("notes.txt");
    m_folder.makeFolder("A/B");
    m_folder.makeFile("A/a1.doc");
    m_folder.makeFile("A/a2.xls");
    m_folder.makeFile("A/B/b1.doc");
    const std::vector<std::string> named = {"a.doc", "A", "missing.doc", "notes.txt", "A/a1.doc"};
    for (const bool walk : {false, true}) {
        setWalk(walk, QStringLiteral("*.doc"));
        dialog->control<QPushButton>(MainControl::ClearList)->click();
        std::vector<std::string> absolute;
        for (const std::string& name : named) {
            absolute.push_back(m_folder / name);
        }
        dropOn(dialog->fileList(), absolute);
        const QStringList dropped = rows();

        dialog->control<QPushButton>(MainControl::ClearList)->click();
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(m_folder.path())));
        QStringList arguments = {QStringLiteral("quorvel")};
        arguments.append(qt(named));
        dialog->DropOnFileList(CQuorvelApp::CommandLinePaths(arguments));
        EXPECT_EQ(rows(), dropped) << walk;
        EXPECT_EQ(rows().size(), walk ? 4 : 3) << walk;
        EXPECT_TRUE(prompts.shown.empty());
    }
    EXPECT_TRUE(CQuorvelApp::CommandLinePaths({QStringLiteral("quorvel")}).isEmpty());
}

TEST_F(FileCollectionHandlers, DropsElsewhereAreIgnoredAndTheFrameCounts) {
    const std::string file = m_folder.makeFile("x.doc");
    dropOn(*dialog->control<QLineEdit>(MainControl::TitleEdit), {file});
    EXPECT_TRUE(rows().isEmpty());
    dropOn(dialog->fileList(), {file}, QPoint(0, 0));  // the frame's top-left corner
    EXPECT_EQ(rows(), qt({file}));
    dialog->fileList().setEnabled(false);
    dropOn(dialog->fileList(), {file, m_folder.makeFile("y.doc")});
    EXPECT_EQ(rows(), qt({file, m_folder / "y.doc"}));
    EXPECT_TRUE(dialog->fileList().isEnabled());
}

TEST_F(FileCollectionHandlers, WithTheFolderPaneOnTheListStillTakesItsDropsAndTheTreeItsOwn) {
    const std::string file = m_folder.makeFile("x.doc");
    const std::string folder = m_folder.makeFolder("tree");
    dialog->control<QCheckBox>(MainControl::FolderInfoChange)->click();
    ASSERT_TRUE(dialog->control<QCheckBox>(MainControl::FolderInfoChange)->isChecked());
    dropOn(dialog->fileList(), {file});
    EXPECT_EQ(rows(), qt({file}));
    dropOn(dialog->folderTree(), {folder, m_folder.makeFile("z.doc")});
    EXPECT_EQ(rows(), qt({file})) << "a drop on the tree never reaches the list";
    ASSERT_EQ(dialog->folderTree().topLevelItemCount(), 1);
}

TEST_F(FileCollectionHandlers, FileDialogAddsTheChosenFilesAndRemembersFilterAndFolder) {
    m_folder.makeFolder("sub");
    const std::string first = m_folder.makeFile("sub/one.ppt");
    const std::string second = m_folder.makeFile("sub/two.txt");
    const QString startFolder = QDir::currentPath();

    prompts.fileAnswers.push_back({});  // cancelled: nothing stored, nothing added
    click1008();
    EXPECT_TRUE(app::Settings::dialogFileKind().isEmpty());
    EXPECT_TRUE(rows().isEmpty());

    const QStringList filters = filelist::toQtNameFilters(filelist::buildFileKindFilters({}));
    prompts.fileAnswers.push_back({qt({first, second, m_folder / "sub/gone.doc"}), filters[2]});
    click1008();
    EXPECT_EQ(app::Settings::dialogFileKind(), QStringLiteral("PowerPoint File(*.ppt;)|*.ppt"));
    EXPECT_EQ(rows(), qt({first, second}));
    EXPECT_EQ(caption(), QStringLiteral("ファイル名(選択数/総数：0/2)"));

    // The next dialog starts in the folder of the chosen files, with PowerPoint first.
    const QStringList swapped =
        filelist::toQtNameFilters(filelist::buildFileKindFilters(app::Settings::dialogFileKind()));
    EXPECT_EQ(swapped[0], filters[2]);
    prompts.fileAnswers.push_back({qt({first}), swapped[0]});
    click1008();
    ASSERT_EQ(prompts.shown.size(), 3U);
    EXPECT_EQ(prompts.shown[1].text, prompts.shown[0].text);
    EXPECT_EQ(QDir::cleanPath(prompts.shown[2].text),
              QDir::cleanPath(QString::fromStdString(m_folder / "sub")));
    EXPECT_EQ(app::Settings::dialogFileKind(), QStringLiteral("PowerPoint File(*.ppt;)|*.ppt"));
    EXPECT_EQ(rows().size(), 2);
    QDir::setCurrent(startFolder);
}

}  // namespace
}  // namespace quorvel::test

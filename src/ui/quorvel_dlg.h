// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/time_stamp_mode.h"
#include "filelist/file_kind_filters.h"
#include "journal/run_journal.h"
#include "platform/file_status.h"
#include "props/custom_property.h"
#include "res/control_ids.h"

class CDateIncrementDlg;
class CFileListCtrl;
class CFolderTreeCtrl;
class QMenuBar;
class QTreeWidgetItem;

namespace quorvel::ui {
class Prompts;
}  // namespace quorvel::ui
namespace quorvel::batch {
struct BatchCounts;
struct BatchSnapshot;
struct DateIncrementSettings;
}  // namespace quorvel::batch
namespace quorvel::csv {
struct ApplySheet;
struct RowPreview;
}  // namespace quorvel::csv

// The main window: one document's property fields, the file time stamps, the file list and
// the folder pane. Every control carries its id (MainControl, MenuCommand) as object name.
class CQuorvelDlg : public QDialog {
    Q_OBJECT

  public:
    // Change boxes in flag order: text fields 0..10, then the dates Edit Time, Last printed,
    // Created, Last Saved.
    static constexpr std::array<int, 15> kChangeBoxIds = {
        MainControl::TitleChange,       MainControl::SubjectChange,  MainControl::AuthorChange,
        MainControl::KeywordsChange,    MainControl::CommentsChange, MainControl::TemplateChange,
        MainControl::LastAuthorChange,  MainControl::RevisionChange, MainControl::AppNameChange,
        MainControl::CategoryChange,    MainControl::CompanyChange,  MainControl::EditTimeChange,
        MainControl::LastPrintedChange, MainControl::CreatedChange,  MainControl::LastSavedChange};

    explicit CQuorvelDlg(quorvel::ui::Prompts& prompts, QWidget* parent = nullptr);
    ~CQuorvelDlg() override;

    // The control (MainControl) or menu command (MenuCommand) with this id, or nullptr.
    template <class T>
    T* control(int id) const {
        return findChild<T*>(idName(id));
    }

    quorvel::ui::Prompts& prompts() const { return m_prompts; }
    CFileListCtrl& fileList() const { return *m_fileList; }
    CFolderTreeCtrl& folderTree() const { return *m_folderTree; }
    quorvel::batch::TimeStampMode SelectedTimeStampMode() const;
    // Copies the ticks of the 15 change boxes into the change flags.
    void ReadChangeFlags();
    const std::array<int, 15>& ChangeFlags() const { return m_changeFlags; }

    // Fills the dialog with the first selected file's properties and time stamps.
    void ShowSelectedFile();
    // Offers to clear a read-only attribute and hands over the file's times: to times when
    // given, else to the file-time pickers. 0 go on, 1 declined, 2 file error shown.
    // beforeQuestion, when given, runs before the question is shown (a run finishes the
    // writes of the files before this one); when it returns false, nothing is asked: 1.
    std::uint8_t CheckFileStatus(const std::string& path, bool skipTimes,
                                 quorvel::platform::FileTimes* times,
                                 const std::function<bool()>& beforeQuestion = {});
    // The user-defined property changes the next batch change writes to every marked file,
    // prepared in the ユーザー定義プロパティ window.
    const std::vector<quorvel::props::CustomEdit>& PendingCustomEdits() const {
        return m_customEdits;
    }
    // The per-file date increments (Settin&g menu), kept for the whole run.
    const quorvel::batch::DateIncrementSettings& DateIncrements() const;

    // Puts the remembered file-dialog filter first and builds the dialog's name filters.
    void BuildFileDialogFilter();
    // Files and folders dropped at a point of the dialog (its own coordinates).
    void OnDropFiles(const QStringList& paths, const QPoint& dialogPoint);
    // Adds files and folders to the file list as a drop on the list does.
    void DropOnFileList(const QStringList& paths);

    // Folder pane (FolderInfoChange ticked): folder tree, marks, folder time stamps.
    void EnableFolderPane(bool on);
    // Makes the folder the tree's only root, with its subfolders; refuses the file-system root.
    void SetRootFolder(const QString& path);
    // A drop on the folder tree while the pane is on: the first path, when it is a folder,
    // becomes the root.
    void DropFolderOnTree(const QStringList& paths, const QPoint& dialogPoint);
    // Reads the folder's times into the file-time pickers.
    void ShowFolderTimes(const std::string& path);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  public slots:
    // Saves the settings kept across runs and closes: 終了, Escape and the close box.
    void reject() override;

  private:
    void BuildControls();
    QWidget* BuildPropertyFields();
    QWidget* BuildFileTimeStampGroup();
    QWidget* BuildCommandRow();
    QWidget* BuildFileListPane();
    QWidget* BuildFolderPane();
    QMenuBar* BuildMenu();
    void SetUpToolTips();
    void ConnectHandlers();
    void InitDialog();

    void OnCheckAllChanges();
    void OnUncheckAllChanges();
    void SetEnabledChangeBoxes(bool checked);
    void OnSubDirClicked();
    void OnMarkLinkedClicked();
    void OnFileListRowChanged();
    void OnShowFile();
    void OnForceGeneration();
    void OnHelp();
    void OnVersion();

    void OnRemoveMarkedFiles();
    void OnClearList();
    void OnMarkAllFiles();
    void OnUnmarkAllFiles();
    void OnFileSetting();
    void RefreshFileListCaption();

    void OnBatchChange();
    quorvel::batch::BatchSnapshot TakeBatchSnapshot(const std::vector<int>& rows) const;
    void ShowBatchSummary(const quorvel::batch::BatchCounts& counts);
    void OnDateIncrementSetting();

    void OnCustomProperties();
    void ShowPendingCustomEdits();

    void OnOutputToFile();
    void OnApplyCsv();
    void OnUndoRun();
    quorvel::batch::BatchCounts ApplySheetRows(
        const quorvel::csv::ApplySheet& sheet,
        const std::vector<quorvel::csv::RowPreview>& previews,
        quorvel::journal::RunKind kind = quorvel::journal::RunKind::CsvApply);

    void ShowFileError(const QString& text);

    void OnFolderInfoChange();
    void OnFolderSetting();
    void OnFolderClear();
    void OnFolderMarkAll();
    void OnFolderUnmarkAll();
    void OnFolderDisplay();
    void OnFolderTreeSelChanged(QTreeWidgetItem* current);
    void OnFolderChange();

    quorvel::ui::Prompts& m_prompts;
    CFileListCtrl* m_fileList = nullptr;
    CFolderTreeCtrl* m_folderTree = nullptr;
    // Not a child of the dialog, so that its controls' ids (OK, Cancel, 1112 to 1115, ...) never
    // answer a lookup of the dialog's own controls.
    std::unique_ptr<CDateIncrementDlg> m_dateIncrementDlg;
    // The folder last chosen in the folder browser; empty after a cancelled browse.
    QString m_lastFolder;
    std::array<int, 15> m_changeFlags{};
    // The shown document and its user-defined properties, read with its other properties.
    QString m_shownPath;
    quorvel::props::CustomProperties m_shownCustom;
    std::vector<quorvel::props::CustomEdit> m_customEdits;
    QString m_modulePath;
    QString m_lastFileFolder;
    quorvel::filelist::FileKindFilterTable FileKindFilters;
    QStringList m_fileDialogFilter;
    QIcon m_icon;
};

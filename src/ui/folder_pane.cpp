// SPDX-License-Identifier: GPL-3.0-or-later
// The folder pane of the main dialog: switching it on and off, the folder tree's root,
// marks, and showing and changing folder times.
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <vector>

#include "filelist/file_list_ctrl.h"
#include "folders/folder_time_stamps.h"
#include "folders/folder_tree_ctrl.h"
#include "platform/folder_listing.h"
#include "prompts/prompts.h"
#include "prompts/wait_cursor.h"
#include "res/control_ids.h"
#include "res/string_ids.h"
#include "res/string_table.h"
#include "ui/picker_time.h"
#include "ui/quorvel_dlg.h"

using quorvel::ui::PromptButtons;
using quorvel::ui::PromptIcon;

namespace {

constexpr int kFolderPaneIds[] = {
    MainControl::FolderTree,    MainControl::FolderMarkAll,    MainControl::FolderUnmarkAll,
    MainControl::FolderSetting, MainControl::FolderSubFolders, MainControl::FolderClear,
    MainControl::FolderChange,  MainControl::FolderMarkLinked, MainControl::FolderDisplay};

// The file part that the pane switches off: property fields, date pickers and their
// labels, change boxes, time-stamp radios, command row and list buttons. The file list
// itself is handled apart: it is enabled only while it holds rows.
std::vector<int> filePartIds() {
    std::vector<int> ids;
    const auto range = [&ids](int first, int last) {
        for (int id = first; id <= last; ++id) {
            ids.push_back(id);
        }
    };
    range(MainControl::TitleEdit, MainControl::ParagraphCountEdit);
    ids.insert(ids.end(), {MainControl::EditTimePicker, MainControl::LastPrintedPicker,
                           MainControl::CreatedPicker, MainControl::LastSavedPicker});
    range(MainControl::EditTimeLabel, MainControl::LastSavedLabel);
    range(MainControl::TitleChange, MainControl::CompanyChange);
    range(MainControl::EditTimeChange, MainControl::CreatedChange);
    ids.insert(ids.end(), {MainControl::LastSavedChange, MainControl::NoChangeRadio,
                           MainControl::AlsoTimeStampsRadio, MainControl::TimeStampsOnlyRadio,
                           MainControl::KeepTimeStampsRadio, MainControl::ShowFile,
                           MainControl::MarkLinkedDisplay});
    range(MainControl::FileSetting, MainControl::UnmarkAllFiles);
    ids.insert(ids.end(),
               {MainControl::FileKindCombo, MainControl::SubDirSearch, MainControl::CheckAllChanges,
                MainControl::UncheckAllChanges, MainControl::BatchChange});
    return ids;
}

const QString kErrorCaption = QStringLiteral("エラーメッセージ");

// After a run's summary, when some folders kept their creation time.
const QString kCreationKeptNotice = QStringLiteral(
    "このファイルシステムでは作成日時を変更できないため、%u個のフォルダの作成日時は変更されていま"
    "せん。");

}  // namespace

void CQuorvelDlg::OnFolderInfoChange() {
    EnableFolderPane(control<QCheckBox>(MainControl::FolderInfoChange)->isChecked());
}

void CQuorvelDlg::EnableFolderPane(bool on) {
    for (const int id : kFolderPaneIds) {
        control<QWidget>(id)->setEnabled(on);
    }
    for (const int id : filePartIds()) {
        control<QWidget>(id)->setEnabled(!on);
    }
    m_fileList->setEnabled(!on && m_fileList->topLevelItemCount() > 0);
}

void CQuorvelDlg::OnFolderSetting() {
    m_lastFolder =
        m_prompts.existingFolder(this, QStringLiteral("TimeStamp変更するﾌｫﾙﾀﾞ選択"), m_lastFolder);
    if (!m_lastFolder.isEmpty()) {
        SetRootFolder(m_lastFolder);
    }
}

void CQuorvelDlg::SetRootFolder(const QString& path) {
    const std::string folder = path.toStdString();
    if (quorvel::platform::isFileSystemRoot(folder)) {
        m_prompts.message(this, quorvel::res::loadString(StringId::RootFolderRefused),
                          kErrorCaption, PromptButtons::Ok, PromptIcon::Exclamation);
        return;
    }
    m_folderTree->DeleteAllFolders();
    QTreeWidgetItem* root = m_folderTree->InsertFolderItem(
        path, folder, nullptr, quorvel::platform::folderIdentity(folder));
    m_folderTree->InsertSubfolders(root);
}

void CQuorvelDlg::DropFolderOnTree(const QStringList& paths, const QPoint& dialogPoint) {
    const QRect treeOnScreen(m_folderTree->mapToGlobal(QPoint(0, 0)), m_folderTree->size());
    if (!control<QCheckBox>(MainControl::FolderInfoChange)->isChecked() || paths.isEmpty() ||
        !treeOnScreen.contains(mapToGlobal(dialogPoint))) {
        return;
    }
    if (QFileInfo(paths.front()).isDir()) {
        SetRootFolder(paths.front());
    }
}

void CQuorvelDlg::OnFolderClear() {
    m_folderTree->DeleteAllFolders();
}

void CQuorvelDlg::OnFolderMarkAll() {
    m_folderTree->MarkAllItems();
}

void CQuorvelDlg::OnFolderUnmarkAll() {
    m_folderTree->UnmarkAllItems();
}

void CQuorvelDlg::ShowFolderTimes(const std::string& path) {
    CFolderTimeStamps stamps(m_prompts, this);
    FolderTimes times;
    if (stamps.ReadFolderTimes(path, times) != FolderOpResult::Done) {
        return;
    }
    if (!quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileModifiedPicker),
                                       times.modification) ||
        !quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileCreatedPicker),
                                       times.creation) ||
        !quorvel::ui::setPickerSeconds(*control<QDateTimeEdit>(MainControl::FileAccessedPicker),
                                       times.access)) {
        stamps.ReportInvalidTime(path);
    }
}

void CQuorvelDlg::OnFolderDisplay() {
    const QTreeWidgetItem* item = m_folderTree->currentItem();
    if (item == nullptr) {
        m_prompts.message(this, quorvel::res::loadString(StringId::NoFolderSelected), kErrorCaption,
                          PromptButtons::Ok, PromptIcon::Exclamation);
        return;
    }
    ShowFolderTimes(m_folderTree->GetItemPath(item));
}

void CQuorvelDlg::OnFolderTreeSelChanged(QTreeWidgetItem* current) {
    if (!control<QCheckBox>(MainControl::FolderMarkLinked)->isChecked()) {
        return;
    }
    const std::string path = m_folderTree->GetItemPath(current);
    if (!path.empty()) {
        ShowFolderTimes(path);
    }
}

void CQuorvelDlg::OnFolderChange() {
    CFolderTimeStamps stamps(m_prompts, this);
    MarkedFolderSet set;
    FolderRunCounts counts;
    {
        const quorvel::ui::WaitCursor wait;
        m_folderTree->CollectMarkedFolders(
            set, control<QCheckBox>(MainControl::FolderSubFolders)->isChecked());
        if (set.empty()) {
            return;
        }
        FolderTimes first;
        if (!quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileModifiedPicker),
                                        first.modification) ||
            !quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileCreatedPicker),
                                        first.creation) ||
            !quorvel::ui::pickerSeconds(*control<QDateTimeEdit>(MainControl::FileAccessedPicker),
                                        first.access)) {
            stamps.ReportInvalidTime({});
            return;
        }
        counts = stamps.ChangeFolders(set, first, DateIncrements());
    }
    const QString caption = QStringLiteral("メッセージ");
    m_prompts.message(
        this,
        quorvel::res::formatString(StringId::FolderRunSummary, {QString::number(set.size()),
                                                                QString::number(counts.processed)}),
        caption, PromptButtons::Ok, PromptIcon::Information);
    if (counts.creationKept > 0) {
        m_prompts.message(
            this,
            quorvel::res::formatText(kCreationKeptNotice, {QString::number(counts.creationKept)}),
            caption, PromptButtons::Ok, PromptIcon::Information);
    }
}

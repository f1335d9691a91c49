// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the views the manual shows, for docs/manual/images and the README:
// quorvel_screenshot OUTPUT_FOLDER FOLDER_TO_SHOW DOCUMENT...
// main.png: the window with the documents listed and the first one shown; increments.png,
// export.png, about.png: those dialogs over it; folders.png: the folder pane on FOLDER_TO_SHOW.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/quorvel_app.h"
#include "filelist/file_list_ctrl.h"
#include "folders/folder_tree_ctrl.h"
#include "res/control_ids.h"
#include "support/scratch_settings.h"
#include "support/scripted_prompts.h"
#include "ui/quorvel_dlg.h"

namespace {

bool save(QWidget& widget, const QDir& folder, const char* name) {
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) {
        return false;
    }
    QTest::qWait(200);
    return widget.grab().save(folder.filePath(QString::fromLatin1(name)));
}

// Opens the dialog of a menu command and grabs it; the dialog is then cancelled.
bool saveDialogOf(CQuorvelDlg& dialog, quorvel::test::ScriptedPrompts& prompts, int command,
                  const QDir& folder, const char* name) {
    bool saved = false;
    prompts.dialogScripts.push_back([&](QDialog& opened) {
        saved = save(opened, folder, name);
        return static_cast<int>(QDialog::Rejected);
    });
    dialog.control<QAction>(command)->trigger();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 4) {
        return 2;
    }
    QTemporaryDir settings;
    quorvel::test::useScratchSettings(settings.path());
    CQuorvelApp::SetUpApplication();
    const QDir output(QString::fromLocal8Bit(argv[1]));

    // Nothing may wait for a click: any prompt is answered at once.
    quorvel::test::ScriptedPrompts prompts;
    CQuorvelDlg dialog(prompts);
    for (int i = 3; i < argc; ++i) {
        dialog.fileList().AddFile(QString::fromLocal8Bit(argv[i]));
    }
    dialog.fileList().topLevelItem(0)->setCheckState(0, Qt::Checked);
    dialog.fileList().RefreshCaption(dialog.fileList().CountMarkedRows());
    dialog.fileList().resizeColumnToContents(0);
    dialog.fileList().topLevelItem(0)->setSelected(true);
    dialog.control<QCheckBox>(MainControl::TitleChange)->setChecked(true);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        return 1;
    }
    dialog.ShowSelectedFile();
    bool saved = save(dialog, output, "main.png");
    saved = saveDialogOf(dialog, prompts, MenuCommand::DateIncrementSetting, output,
                         "increments.png") &&
            saved;
    saved = saveDialogOf(dialog, prompts, MenuCommand::OutputToFile, output, "export.png") && saved;
    saved = saveDialogOf(dialog, prompts, MenuCommand::Version, output, "about.png") && saved;

    dialog.control<QCheckBox>(MainControl::FolderInfoChange)->click();
    dialog.SetRootFolder(QString::fromLocal8Bit(argv[2]));
    dialog.folderTree().expandAll();
    dialog.folderTree().MarkAllItems();
    saved = save(dialog, output, "folders.png") && saved;
    return saved ? 0 : 1;
}

// Grabs the main window with a few documents listed and the first one shown, for the
// README: quorvel_screenshot OUTPUT.png DOCUMENT...
#include <QApplication>
#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/quorvel_app.h"
#include "filelist/file_list_ctrl.h"
#include "support/scripted_prompts.h"
#include "ui/quorvel_dlg.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 3) {
        return 2;
    }
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    CQuorvelApp::SetUpApplication();

    // Nothing may wait for a click: any prompt is answered at once.
    quorvel::test::ScriptedPrompts prompts;
    CQuorvelDlg dialog(prompts);
    for (int i = 2; i < argc; ++i) {
        dialog.fileList().AddFile(QString::fromLocal8Bit(argv[i]));
    }
    dialog.fileList().topLevelItem(0)->setCheckState(0, Qt::Checked);
    dialog.fileList().RefreshCaption(dialog.fileList().CountMarkedRows());
    dialog.fileList().resizeColumnToContents(0);
    dialog.fileList().topLevelItem(0)->setSelected(true);
    dialog.control<QCheckBox>(1061)->setChecked(true);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        return 1;
    }
    dialog.ShowSelectedFile();
    QTest::qWait(200);
    return dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

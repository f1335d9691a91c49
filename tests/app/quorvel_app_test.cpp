// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/quorvel_app.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QLocale>
#include <QTemporaryDir>

#include "app/shell_open.h"

namespace {

TEST(QuorvelApp, JapaneseUsersGetJapaneseButtonsAndAJapaneseFont) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    CQuorvelApp::SetUpApplication();
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Quorvel_Reg"));
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), QStringLiteral("Noto Sans CJK JP"));
    QLocale::setDefault(QLocale::c());
}

// Installed: the manual where the installation puts it, relative to the program (beside it on
// Windows). In the build tree: the project's
// copy. Elsewhere, or with no manual installed: "Quorvel.chm" beside the program.
TEST(QuorvelApp, HelpOpensTheManualOfWhereTheProgramRuns) {
    const QString project = QStringLiteral(QUORVEL_SOURCE_MANUAL "/index.html");
    ASSERT_TRUE(QFileInfo::exists(project)) << project.toStdString();
    const QString buildTree = QCoreApplication::applicationDirPath();

    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QDir root(prefix.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("bin")));
    const QString bin = root.filePath(QStringLiteral("bin"));
    EXPECT_EQ(quorvel::app::helpFilePath(bin), bin + QStringLiteral("/Quorvel.chm"))
        << "no manual installed";
    EXPECT_EQ(quorvel::app::helpFilePath(bin + QStringLiteral("/")),
              bin + QStringLiteral("/Quorvel.chm"))
        << "no doubled separator";

#ifdef _WIN32
    const QString installed = root.filePath(QStringLiteral("bin/manual/index.html"));
#else
    const QString installed = root.filePath(QStringLiteral("share/doc/quorvel/manual/index.html"));
#endif
    ASSERT_TRUE(root.mkpath(QFileInfo(installed).path()));
    QFile(installed).open(QIODevice::WriteOnly);
    EXPECT_EQ(quorvel::app::helpFilePath(bin), installed);
    EXPECT_EQ(quorvel::app::helpFilePath(buildTree), project);
    EXPECT_EQ(quorvel::app::helpFilePath(QDir::rootPath()),
              QDir::rootPath() + QStringLiteral("Quorvel.chm"));
}

}  // namespace

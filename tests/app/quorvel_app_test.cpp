#include "app/quorvel_app.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLocale>

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

TEST(QuorvelApp, HelpFileLiesBesideTheProgram) {
    const QString path = quorvel::app::helpFilePath();
    EXPECT_EQ(path, QCoreApplication::applicationDirPath() + QStringLiteral("/Quorvel.chm"));
    EXPECT_FALSE(path.contains(QStringLiteral("//")));
}

}  // namespace

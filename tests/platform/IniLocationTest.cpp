#include "platform/IniLocation.h"

#include "tests/support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform::IniLocation;

TEST(IniLocationTest, BesideTheExecutableWhenThatFolderIsWritable) {
    testsupport::IsolatedEnvironment env;
    EXPECT_EQ(IniLocation::flashIniPath(env.path()), env.path() + "/Flash.ini");
}

TEST(IniLocationTest, UserConfigFolderOtherwise) {
    testsupport::IsolatedEnvironment env;
    const QString expected = env.file("config") + "/quarvel/Flash.ini";
    // A folder that does not exist cannot take the file either.
    EXPECT_EQ(IniLocation::flashIniPath(env.file("missing")), expected);
    // The folder is created so that saving there works.
    EXPECT_TRUE(QFileInfo(env.file("config") + "/quarvel").isDir());
    EXPECT_EQ(IniLocation::flashIniPath(QString()), expected);
}

TEST(IniLocationTest, ConfigHomeFallsBackToTheHomeFolder) {
    testsupport::IsolatedEnvironment env;
    qputenv("XDG_CONFIG_HOME", "relative/not/allowed");
    EXPECT_EQ(IniLocation::userConfigDirectory(), QDir::homePath() + "/.config/quarvel");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniLocation::userConfigDirectory(), QDir::homePath() + "/.config/quarvel");
}

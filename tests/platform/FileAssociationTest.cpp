#include "platform/FileAssociation.h"
#include "platform/ClassRegistry.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace platform;

TEST(FileAssociation, WritesTheFiveKeysAndReportsTheFlag) {
    testsupport::IsolatedEnvironment env;
    EXPECT_TRUE(RegisterFileType(QStringLiteral(".swf"), QStringLiteral("/opt/q/quarvel-flash"),
                                 QStringLiteral("swf file"), QString(), 0, true));
    ClassRegistry r;
    EXPECT_EQ(r.value(QStringLiteral(".swf")), QStringLiteral("swf File"));
    EXPECT_EQ(r.value(QStringLiteral("swf File")), QStringLiteral("swf file"));
    EXPECT_EQ(r.value(QStringLiteral("swf File\\DefaultIcon")),
              QStringLiteral("/opt/q/quarvel-flash,0"));
    EXPECT_EQ(r.value(QStringLiteral("swf File\\Shell\\Open")), QStringLiteral("&Open"));
    EXPECT_EQ(r.value(QStringLiteral("swf File\\Shell\\Open\\Command")),
              QStringLiteral("\"/opt/q/quarvel-flash\" \"%1\""));
    EXPECT_FALSE(RegisterFileType(QStringLiteral("swf"), QStringLiteral("/p"), QString(),
                                  QStringLiteral("Play"), 2, false));
    EXPECT_EQ(r.value(QStringLiteral("swf File")), QStringLiteral("swf File")); // empty description
    EXPECT_EQ(r.value(QStringLiteral("swf File\\Shell\\Open")), QStringLiteral("Play"));
    EXPECT_FALSE(RegisterFileType(QString(), QStringLiteral("/p"), QString(), QString(), 0, true));
}

TEST(FileAssociation, UnwritableStoreIsSilentAndFalse) {
    testsupport::IsolatedEnvironment env;
    qputenv("QUARVEL_REGISTRY", "/proc/no-such-folder/registry");
    EXPECT_FALSE(RegisterFileType(QStringLiteral(".swf"), QStringLiteral("/p"), QString(),
                                  QString(), 0, true));
}

TEST(FileAssociation, DesktopExportKeepsOtherDefaults) {
    testsupport::IsolatedEnvironment env;
    testsupport::writeFile(env.file("config/mimeapps.list"),
                           "[Default Applications]\ntext/plain=editor.desktop\n"
                           "application/x-shockwave-flash=old.desktop\n\n[Added "
                           "Associations]\nimage/png=viewer.desktop\n");
    ASSERT_TRUE(ExportDesktopAssociation(QStringLiteral("/opt/my player/quarvel-flash")));
    const QString desktop = QString::fromUtf8(
        testsupport::readFile(env.file("data/applications/quarvel-flash.desktop")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("Exec=\"/opt/my player/quarvel-flash\" %f\n")));
    EXPECT_TRUE(desktop.contains(QStringLiteral("MimeType=application/x-shockwave-flash;")));
    EXPECT_TRUE(
        testsupport::readFile(env.file("data/mime/packages/quarvel-swf.xml")).contains("*.swf"));
    const QByteArray list = testsupport::readFile(env.file("config/mimeapps.list"));
    EXPECT_TRUE(list.contains("text/plain=editor.desktop"));
    EXPECT_TRUE(list.contains("application/x-shockwave-flash=quarvel-flash.desktop"));
    EXPECT_FALSE(list.contains("old.desktop"));
    EXPECT_TRUE(list.contains("[Added Associations]\nimage/png=viewer.desktop"));
    // A second start changes nothing.
    ASSERT_TRUE(ExportDesktopAssociation(QStringLiteral("/opt/my player/quarvel-flash")));
    EXPECT_EQ(testsupport::readFile(env.file("config/mimeapps.list")), list);
}

TEST(FileAssociation, DesktopExportInstallsTheIconIntoTheUsersHicolorTheme) {
    testsupport::IsolatedEnvironment env;
    const QList<IconFile> icons = {{QStringLiteral("16x16/apps/quarvel-flash.png"), "png16"},
                                   {QStringLiteral("256x256/apps/quarvel-flash.png"), "png256"},
                                   {QStringLiteral("scalable/apps/quarvel-flash.svg"), "<svg/>"}};
    ASSERT_TRUE(ExportDesktopAssociation(QStringLiteral("/opt/q/quarvel-flash"), icons));
    const QString theme = env.file("data/icons/hicolor/");
    EXPECT_EQ(testsupport::readFile(theme + "16x16/apps/quarvel-flash.png"), "png16");
    EXPECT_EQ(testsupport::readFile(theme + "256x256/apps/quarvel-flash.png"), "png256");
    EXPECT_EQ(testsupport::readFile(theme + "scalable/apps/quarvel-flash.svg"), "<svg/>");
    EXPECT_TRUE(testsupport::readFile(env.file("data/applications/quarvel-flash.desktop"))
                    .contains("\nIcon=quarvel-flash\n"));
    EXPECT_TRUE(testsupport::readFile(env.file("data/mime/packages/quarvel-swf.xml"))
                    .contains("<icon name=\"quarvel-flash\"/>"));

    // A changed picture replaces the old one at the next start.
    ASSERT_TRUE(
        ExportDesktopAssociation(QStringLiteral("/opt/q/quarvel-flash"),
                                 {{QStringLiteral("16x16/apps/quarvel-flash.png"), "new"}}));
    EXPECT_EQ(testsupport::readFile(theme + "16x16/apps/quarvel-flash.png"), "new");
}

TEST(FileAssociation, IconPathsNeverLeaveTheTheme) {
    testsupport::IsolatedEnvironment env;
    const QList<IconFile> icons = {{QStringLiteral("../../escaped.png"), "x"},
                                   {QStringLiteral("/tmp/absolute.png"), "x"},
                                   {QStringLiteral("16x16//apps/x.png"), "x"},
                                   {QString(), "x"},
                                   {QStringLiteral("16x16/apps/ok.png"), "ok"}};
    EXPECT_FALSE(ExportDesktopAssociation(QStringLiteral("/opt/q/quarvel-flash"), icons));
    EXPECT_FALSE(QFileInfo::exists(env.file("data/escaped.png")));
    EXPECT_FALSE(QFileInfo::exists(env.file("data/icons/escaped.png")));
    // The good one and the rest of the association are written all the same.
    EXPECT_EQ(testsupport::readFile(env.file("data/icons/hicolor/16x16/apps/ok.png")), "ok");
    EXPECT_TRUE(QFileInfo::exists(env.file("data/applications/quarvel-flash.desktop")));
}

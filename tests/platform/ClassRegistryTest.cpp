#include "platform/ClassRegistry.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using platform::ClassRegistry;

TEST(ClassRegistry, KeysAreCaseInsensitiveAndValuesSurviveSpecialCharacters) {
    testsupport::IsolatedEnvironment env;
    ClassRegistry registry;
    EXPECT_EQ(registry.path(), env.registryPath());
    EXPECT_FALSE(registry.value(QStringLiteral(".swf")));
    const QString command = QStringLiteral("\"/opt/路径 with\ttab\\x\"\n \"%1\"");
    ASSERT_TRUE(registry.setValue(QStringLiteral("swf File\\Shell\\Open\\Command"), command));
    ASSERT_TRUE(registry.setValue(QStringLiteral(".swf"), QStringLiteral("swf File")));
    ClassRegistry again;
    EXPECT_EQ(again.value(QStringLiteral("SWF FILE\\shell\\open\\command")), command);
    EXPECT_EQ(again.value(QStringLiteral(".SWF")), QStringLiteral("swf File"));
    EXPECT_EQ(again.value(QStringLiteral(".swf\\")), QStringLiteral("swf File"));
}

TEST(ClassRegistry, RemoveTreeTakesTheKeyAndItsChildrenOnly) {
    testsupport::IsolatedEnvironment env;
    ClassRegistry registry;
    registry.setValue(QStringLiteral("CLSID\\{A}"), QStringLiteral("a"));
    registry.setValue(QStringLiteral("CLSID\\{A}\\InprocServer32"), QStringLiteral("/lib.so"));
    registry.setValue(QStringLiteral("CLSID\\{AB}"), QStringLiteral("ab"));
    ASSERT_TRUE(registry.removeTree(QStringLiteral("clsid\\{a}")));
    EXPECT_FALSE(registry.value(QStringLiteral("CLSID\\{A}")));
    EXPECT_FALSE(registry.value(QStringLiteral("CLSID\\{A}\\InprocServer32")));
    EXPECT_EQ(registry.value(QStringLiteral("CLSID\\{AB}")), QStringLiteral("ab"));
}

TEST(ClassRegistry, DamagedLinesAreSkippedAndUnwritableStoreReportsFailure) {
    testsupport::IsolatedEnvironment env;
    testsupport::writeFile(env.registryPath(), "garbage without a tab\n.swf\tswf File\n\t\n");
    ClassRegistry registry;
    EXPECT_EQ(registry.value(QStringLiteral(".swf")), QStringLiteral("swf File"));
    ClassRegistry unwritable(QStringLiteral("/proc/quarvel-no-such-dir/registry"));
    EXPECT_FALSE(unwritable.setValue(QStringLiteral("a"), QStringLiteral("b")));
}

TEST(ClassRegistry, SystemDirectoryFollowsTheEnvironment) {
    testsupport::IsolatedEnvironment env;
    EXPECT_EQ(platform::systemDirectory(), env.systemDir());
}

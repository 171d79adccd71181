#include "platform/Process.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using platform::RunCommandAndWait;
using platform::splitCommandLine;

TEST(Process, CommandLinesSplitLikeWindowsArgv) {
    EXPECT_EQ(splitCommandLine(QStringLiteral("  a  \"b c\" d\\\"e \"\"")),
              (QStringList{"a", "b c", "d\"e", ""}));
    EXPECT_TRUE(splitCommandLine(QStringLiteral("   ")).isEmpty());
}

TEST(Process, ReturnsTheExitCodeAfterWaiting) {
    testsupport::IsolatedEnvironment env;
    const QString marker = env.file("ran");
    QString error;
    EXPECT_EQ(RunCommandAndWait(QStringLiteral("/bin/sh -c \"touch '%1'; exit 7\"").arg(marker), 0,
                                [&](const QString& e) { error = e; }),
              7);
    EXPECT_TRUE(QFile::exists(marker)); // waited for it to finish
    EXPECT_TRUE(error.isEmpty());
}

TEST(Process, AMissingProgramReportsTheSystemErrorAndGivesMinusOne) {
    QString error;
    int calls = 0;
    EXPECT_EQ(RunCommandAndWait(QStringLiteral("/nonexistent/regsvr32 /s x"), 0,
                                [&](const QString& e) {
                                    error = e;
                                    ++calls;
                                }),
              -1);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(error.isEmpty());
}

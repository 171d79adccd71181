// corpuscheck's trace comparison and grouping, and the tool run over a corpus made here.

#include "tools/corpuscheck/TraceCompare.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TraceCompare, LineEndsAndTheFinalNewlineDoNotMatterButBlankLinesDo) {
    EXPECT_TRUE(compareTrace("a\nb\n", "a\nb\n").same);
    EXPECT_TRUE(compareTrace("a\r\nb\r\n", "a\nb").same);
    EXPECT_TRUE(compareTrace("", "").same);
    EXPECT_TRUE(compareTrace("\n", "").same); // a file holding one line end is an empty trace
    // A traced empty string is a line of its own.
    const TraceDiff blank = compareTrace("a\n\n", "a\n");
    EXPECT_FALSE(blank.same);
    EXPECT_EQ(blank.line, 2);
    EXPECT_TRUE(blank.actualEnded);
}

TEST(TraceCompare, ReportsTheFirstDifferingLineOnEachSide) {
    TraceDiff d = compareTrace("one\ntwo\nthree\n", "one\n2\nthree\n");
    EXPECT_FALSE(d.same);
    EXPECT_EQ(d.line, 2);
    EXPECT_EQ(d.expected, "two");
    EXPECT_EQ(d.actual, "2");
    d = compareTrace("one\n", "one\nextra\n");
    EXPECT_EQ(d.line, 2);
    EXPECT_TRUE(d.expectedEnded);
    EXPECT_EQ(d.actual, "extra");
    // Case and spacing count: trace output is compared exactly.
    EXPECT_FALSE(compareTrace("NaN\n", "nan\n").same);
    EXPECT_FALSE(compareTrace("a \n", "a\n").same);
}

TEST(TraceCompare, GroupsByFolderAndTopic) {
    EXPECT_EQ(traceFolder("swfdec/trace/array-sort-5.swf"), "swfdec/trace");
    EXPECT_EQ(traceTopic("swfdec/trace/array-sort-5.swf"), "swfdec/trace/array");
    EXPECT_EQ(traceFolder("ruffle/avm1/array_sort/test.swf"), "ruffle/avm1");
    EXPECT_EQ(traceTopic("ruffle/avm1/array_sort/test.swf"), "ruffle/avm1/array");
    EXPECT_EQ(traceTopic("ruffle/avm1/Stage/test.swf"), "ruffle/avm1/stage");
    EXPECT_EQ(traceFolder("x.swf"), QString());
}

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(CorpusCheckTrace, RunsEveryTraceTestAndCountsPassesAndBrokenMovies) {
    QTemporaryDir dir;
    const QString root = dir.path();
    // Silent movies: one expecting nothing (a pass whether or not scripts run), one expecting
    // a line it never prints, one that is no movie at all.
    testsupport::SwfWriter w(50, 50, 12, 8);
    w.showFrame();
    const QByteArray silent = w.finish();
    writeFile(root + "/s/avm1/quiet/test.swf", silent);
    writeFile(root + "/s/avm1/quiet/output.txt", "");
    writeFile(root + "/s/avm1/chatty/test.swf", silent);
    writeFile(root + "/s/avm1/chatty/output.txt", "hello\n");
    writeFile(root + "/b/broken.swf", "not a movie");
    writeFile(root + "/b/broken.swf.trace", "x\n");
    writeFile(root + "/corpus.tsv",
              "kind\tsource\tmovie\texpected\tframes\ttolerance\tmax_outliers\tlicence\tknown\n"
              "trace\tt\ts/avm1/quiet/test.swf\ts/avm1/quiet/output.txt\t1\t\t\tx\tno\n"
              "trace\tt\ts/avm1/chatty/test.swf\ts/avm1/chatty/output.txt\t1\t\t\tx\tno\n"
              "trace\tt\tb/broken.swf\tb/broken.swf.trace\t1\t\t\tx\tno\n"
              "smoke\tt\ts/avm1/quiet/test.swf\t\t1\t\t\tx\tno\n");
    QProcess p;
    p.start(CORPUSCHECK_PATH, {root, "--trace", "--list-failures", "--swfrender", SWFRENDER_PATH});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("trace: 1 of 3 pass (33.3%)")) << out.toStdString();
    EXPECT_TRUE(
        out.contains("FAIL    s/avm1/chatty/test.swf  line 1: expected \"hello\", got (nothing)"))
        << out.toStdString();
    EXPECT_TRUE(out.contains("LOADERR b/broken.swf")) << out.toStdString();
    EXPECT_FALSE(out.contains("s/avm1/quiet/test.swf  ")) << out.toStdString();
    EXPECT_TRUE(out.contains("1 of     2 fail  s/avm1\n")) << out.toStdString();
}

TEST(CorpusCheckTrace, AMovieThatRunsPastTheTimeLimitIsStoppedAndCountedAsHung) {
    QTemporaryDir dir;
    const QString root = dir.path();
    testsupport::SwfWriter w(50, 50, 12, 8);
    w.showFrame();
    w.showFrame();
    writeFile(root + "/s/t/slow.swf", w.finish());
    writeFile(root + "/s/t/slow.swf.trace", "");
    writeFile(root + "/s/t/quick.swf", w.finish());
    writeFile(root + "/s/t/quick.swf.trace", "");
    // A billion frames take far longer than the one second allowed.
    writeFile(root + "/corpus.tsv",
              "kind\tsource\tmovie\texpected\tframes\ttolerance\tmax_outliers\tlicence\tknown\n"
              "trace\tt\ts/t/slow.swf\ts/t/slow.swf.trace\t1000000000\t\t\tx\tno\n"
              "trace\tt\ts/t/quick.swf\ts/t/quick.swf.trace\t2\t\t\tx\tno\n");
    QProcess p;
    p.start(CORPUSCHECK_PATH, {root, "--trace", "--list-failures", "--time-limit", "1", "--jobs",
                               "2", "--swfrender", SWFRENDER_PATH});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 1) << out.toStdString();
    EXPECT_TRUE(out.contains("TIMEOUT s/t/slow.swf")) << out.toStdString();
    EXPECT_TRUE(out.contains("trace: 1 of 2 pass")) << out.toStdString();
    EXPECT_TRUE(out.contains("crashed or hung: 1")) << out.toStdString();
}

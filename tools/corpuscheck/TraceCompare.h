#pragma once

// Comparing what a movie traced with what the reference player printed, and sorting failures
// into groups worth looking at together.

#include <QByteArray>
#include <QList>
#include <QString>

struct TraceDiff {
    bool same = true;
    int line = 0;                // 1-based line of the first difference
    QByteArray expected, actual; // that line on each side; empty past the end
    bool expectedEnded = false, actualEnded = false;
};

// Line by line: Windows line ends count as plain ones, and one final line end is no line of
// its own (an empty trace is an empty line).
TraceDiff compareTrace(const QByteArray& expected, const QByteArray& actual);

// The test's place in the corpus two folders deep ("ruffle/avm1", "swfdec/trace").
QString traceFolder(const QString& moviePath);
// Folder and topic: the test's own name up to its first separator, so "swfdec/trace/
// array-sort-5.swf" and "ruffle/avm1/array_sort/test.swf" both fall under an "array" topic.
QString traceTopic(const QString& moviePath);

QList<QByteArray> traceLines(const QByteArray& text);

#include "tools/corpuscheck/TraceCompare.h"

#include <QFileInfo>
#include <QStringList>

QList<QByteArray> traceLines(const QByteArray& text) {
    QByteArray t = text;
    t.replace("\r\n", "\n");
    if (t.endsWith('\n'))
        t.chop(1);
    if (t.isEmpty())
        return {};
    return t.split('\n');
}

TraceDiff compareTrace(const QByteArray& expected, const QByteArray& actual) {
    const QList<QByteArray> e = traceLines(expected);
    const QList<QByteArray> a = traceLines(actual);
    TraceDiff d;
    const qsizetype n = std::max(e.size(), a.size());
    for (qsizetype i = 0; i < n; ++i) {
        const bool haveE = i < e.size(), haveA = i < a.size();
        if (haveE && haveA && e[i] == a[i])
            continue;
        d.same = false;
        d.line = static_cast<int>(i + 1);
        d.expected = haveE ? e[i] : QByteArray();
        d.actual = haveA ? a[i] : QByteArray();
        d.expectedEnded = !haveE;
        d.actualEnded = !haveA;
        return d;
    }
    return d;
}

QString traceFolder(const QString& moviePath) {
    const QStringList parts = moviePath.split('/');
    if (parts.size() <= 2)
        return parts.size() == 2 ? parts[0] : QString();
    return parts[0] + '/' + parts[1];
}

QString traceTopic(const QString& moviePath) {
    const QStringList parts = moviePath.split('/');
    // Flat folders name the test by its file; the others by the folder that holds test.swf.
    QString name = parts.size() > 3 ? parts[2] : QFileInfo(moviePath).completeBaseName();
    qsizetype cut = name.size();
    for (const QChar sep : {QChar('-'), QChar('_'), QChar('.')}) {
        const qsizetype at = name.indexOf(sep);
        if (at > 0)
            cut = std::min(cut, at);
    }
    return traceFolder(moviePath) + '/' + name.left(cut).toLower();
}

#include "tools/swfrender/HeadlessHost.h"

#include "swf/avm1/Avm1Host.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

swf::Player::ScriptHostFactory actionScriptMachine() {
    return [](swf::Stage& stage) { return std::make_unique<swf::avm1::Avm1Host>(stage); };
}

HeadlessHost::HeadlessHost(const QString& moviePath, std::FILE* traceOut, std::FILE* diagnostics)
    : movieDir_(QFileInfo(moviePath).absoluteDir()), traceOut_(traceOut),
      diagnostics_(diagnostics) {}

void HeadlessHost::trace(const QString& line) {
    ++traceLines_;
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), traceOut_);
    std::fputc('\n', traceOut_);
    // A run cut off by a time limit still shows every line it printed.
    std::fflush(traceOut_);
}

void HeadlessHost::openUrl(const QString& url, const QString& target) {
    std::fprintf(diagnostics_, "swfrender: the movie opens %s in %s\n", qPrintable(url),
                 target.isEmpty() ? "the same window" : qPrintable(target));
}

void HeadlessHost::fsCommand(const QString& command, const QString& args) {
    if (command.compare(QLatin1String("quit"), Qt::CaseInsensitive) == 0)
        quit_ = true;
    std::fprintf(diagnostics_, "swfrender: fscommand %s %s\n", qPrintable(command),
                 qPrintable(args));
}

void HeadlessHost::statusMessage(const QString& text) {
    std::fprintf(diagnostics_, "swfrender: %s\n", qPrintable(text));
}

QString HeadlessHost::localPath(const QString& url) const {
    if (url.isEmpty())
        return {};
    const QUrl parsed(url);
    // One letter before a colon is a drive, not a scheme, in paths written on Windows.
    if (parsed.isValid() && parsed.scheme().size() > 1) {
        if (parsed.scheme() != QLatin1String("file"))
            return {};
        return parsed.toLocalFile();
    }
    QString path = url;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A query string is for a server; on disk the file is the part before it.
    const qsizetype query = path.indexOf(QLatin1Char('?'));
    if (query >= 0)
        path.truncate(query);
    if (QFileInfo(path).isAbsolute())
        return QDir::cleanPath(path);
    return QDir::cleanPath(movieDir_.filePath(path));
}

void HeadlessHost::load(const QString& url, qint64 maxBytes, LoadDone done) {
    const QString path = localPath(url);
    if (path.isEmpty()) {
        std::fprintf(diagnostics_, "swfrender: not loading %s: only local files are read\n",
                     qPrintable(url));
        done(false, {});
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(diagnostics_, "swfrender: cannot load %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        done(false, {});
        return;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        std::fprintf(diagnostics_, "swfrender: %s is larger than the %lld bytes allowed\n",
                     qPrintable(path), static_cast<long long>(maxBytes));
        done(false, {});
        return;
    }
    done(true, std::move(bytes));
}

#include "platform/Process.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace platform {

QStringList splitCommandLine(const QString& commandLine) {
    QStringList args;
    QString current;
    bool inQuotes = false;
    bool hasArg = false;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine[i];
        if (c == u'\\' && i + 1 < commandLine.size() && commandLine[i + 1] == u'"') {
            current += u'"';
            ++i;
            hasArg = true;
        } else if (c == u'"') {
            inQuotes = !inQuotes;
            hasArg = true;
        } else if ((c == u' ' || c == u'\t') && !inQuotes) {
            if (hasArg)
                args << current;
            current.clear();
            hasArg = false;
        } else {
            current += c;
            hasArg = true;
        }
    }
    if (hasArg)
        args << current;
    return args;
}

int RunCommandAndWait(const QString& commandLine, unsigned short /*showMode*/,
                      const std::function<void(const QString&)>& showError) {
    const QStringList args = splitCommandLine(commandLine);
    if (args.isEmpty()) {
        if (showError)
            showError(QString::fromLocal8Bit(std::strerror(ENOENT)));
        return -1;
    }
    std::vector<QByteArray> storage;
    storage.reserve(static_cast<std::size_t>(args.size()));
    for (const QString& a : args)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const bool hasSlash = storage.front().contains('/');
    const int rc = hasSlash ? posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
                            : posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        if (showError)
            showError(QString::fromLocal8Bit(std::strerror(rc)));
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace platform

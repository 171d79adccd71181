#include "playlist/FileCopy.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playlist {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now so that a failing close (a delayed write error) is seen.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool copyContents(int from, int to) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof(buffer));
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(to, buffer, n))
            return false;
    }
}

} // namespace

bool copyFileRefusingExisting(const QString& source, const QString& target) {
    if (source.isEmpty() || target.isEmpty())
        return false;
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);

    Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return false;
    struct stat info {};
    // Only regular files: a folder cannot be copied this way, and a FIFO could block forever.
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    Fd out(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (!out.valid())
        return false;
    const bool ok = copyContents(in.get(), out.get()) && out.close();
    if (!ok) {
        // Created by us a moment ago (O_EXCL), so removing it destroys nothing of the user's.
        ::unlink(to.constData());
    }
    return ok;
}

} // namespace playlist

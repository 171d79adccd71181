#include "net/TNetStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace net {

namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

} // namespace

void TNetMemoryStream::SetPosition(int64_t position) {
    position_ = std::max<int64_t>(0, position);
}

void TNetMemoryStream::SetSize(int64_t size) {
    size_ = std::max<int64_t>(0, size);
    if (static_cast<int64_t>(data_.size()) > size_)
        data_.resize(static_cast<std::size_t>(size_));
    position_ = std::min(position_, size_);
}

void TNetMemoryStream::Write(const char* data, std::size_t count) {
    const auto end = static_cast<std::size_t>(position_) + count;
    if (data_.size() < end)
        data_.resize(end);
    std::memcpy(data_.data() + position_, data, count);
    position_ = static_cast<int64_t>(end);
    size_ = std::max(size_, position_);
}

std::size_t TNetMemoryStream::Read(char* data, std::size_t count) {
    const int64_t available = std::max<int64_t>(0, size_ - position_);
    const auto n = static_cast<std::size_t>(std::min<int64_t>(available, count));
    for (std::size_t i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(position_) + i;
        data[i] = at < data_.size() ? data_[at] : '\0';
    }
    position_ += static_cast<int64_t>(n);
    return n;
}

std::string TNetMemoryStream::Bytes() const {
    std::string out(data_.begin(), data_.end());
    out.resize(static_cast<std::size_t>(size_), '\0');
    return out;
}

TNetFileStream::TNetFileStream(const std::string& path, Mode mode) : path_(path) {
    const int flags = mode == Mode::Create ? O_RDWR | O_CREAT | O_TRUNC : O_RDONLY;
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0)
        fail("Cannot open file", path);
}

TNetFileStream::~TNetFileStream() {
    Close();
}

void TNetFileStream::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void TNetFileStream::SetPosition(int64_t position) {
    position_ = std::max<int64_t>(0, position);
}

int64_t TNetFileStream::Size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return 0;
    return info.st_size;
}

void TNetFileStream::SetSize(int64_t size) {
    // Growing leaves a hole in the file, not written zeros, so reserving a large body is cheap.
    if (::ftruncate(fd_, std::max<int64_t>(0, size)) != 0)
        fail("Cannot set the size of", path_);
}

void TNetFileStream::Write(const char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd_, data, count, position_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot write", path_);
        }
        data += n;
        count -= static_cast<std::size_t>(n);
        position_ += n;
    }
}

std::size_t TNetFileStream::Read(char* data, std::size_t count) {
    for (;;) {
        const ssize_t n = ::pread(fd_, data, count, position_);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot read", path_);
        }
        position_ += n;
        return static_cast<std::size_t>(n);
    }
}

} // namespace net

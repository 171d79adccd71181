#pragma once

// The bytes of a file that arrives in pieces (a progressive download), kept so that any part
// can be read again later: the first few megabytes in memory, where short clips stay, the
// rest in a temporary file that goes when the spool does. A spool is written by the thread
// that receives the pieces and may be read by another (the drawing thread decoding a
// picture), so every call takes its lock.

#include "swf/format/Result.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <memory>
#include <mutex>

namespace swf::media {

class Spool {
public:
    static constexpr qint64 kDefaultMemoryBytes = 4ll << 20;

    // maxBytes: more is refused (a file is never allowed to fill the disk).
    explicit Spool(qint64 maxBytes, qint64 memoryBytes = kDefaultMemoryBytes);
    // The whole of bytes, in memory, for a file that is already all there.
    static std::shared_ptr<Spool> ofBytes(QByteArray bytes);
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Adds the next piece. An error when the limit would be passed or the temporary file
    // cannot be written; what was there stays readable.
    Result<void> append(const QByteArray& piece);
    qint64 size() const;
    // Whether part of the bytes went to disk.
    bool onDisk() const;
    // length bytes from offset; fewer (or none) where the bytes have not arrived.
    QByteArray read(qint64 offset, qint64 length) const;

private:
    const qint64 maxBytes_;
    const qint64 memoryBytes_;
    mutable std::mutex mutex_;
    QByteArray memory_;
    std::unique_ptr<QTemporaryFile> file_;
    qint64 size_ = 0;
};

} // namespace swf::media

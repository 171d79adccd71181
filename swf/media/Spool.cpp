#include "swf/media/Spool.h"

#include <QDir>
#include <algorithm>

namespace swf::media {

Spool::Spool(qint64 maxBytes, qint64 memoryBytes)
    : maxBytes_(std::max<qint64>(0, maxBytes)), memoryBytes_(std::max<qint64>(0, memoryBytes)) {}

std::shared_ptr<Spool> Spool::ofBytes(QByteArray bytes) {
    auto spool = std::make_shared<Spool>(bytes.size(), bytes.size());
    spool->memory_ = std::move(bytes);
    spool->size_ = spool->memory_.size();
    return spool;
}

Result<void> Spool::append(const QByteArray& piece) {
    std::lock_guard lock(mutex_);
    if (piece.size() > maxBytes_ - size_)
        return Error{QStringLiteral("The file is larger than the player keeps.")};
    qsizetype used = 0;
    if (!file_ && memory_.size() < memoryBytes_) {
        used = std::min<qsizetype>(piece.size(), memoryBytes_ - memory_.size());
        memory_.append(piece.constData(), used);
        size_ += used;
    }
    if (used == piece.size())
        return {};
    if (!file_) {
        auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                     QStringLiteral("/quarvel-stream-XXXXXX"));
        if (!file->open())
            return Error{QStringLiteral("Cannot make a temporary file for the download.")};
        file_ = std::move(file);
    }
    const qint64 rest = piece.size() - used;
    if (!file_->seek(size_ - memory_.size()) ||
        file_->write(piece.constData() + used, rest) != rest)
        return Error{QStringLiteral("Cannot write the download to its temporary file.")};
    size_ += rest;
    return {};
}

qint64 Spool::size() const {
    std::lock_guard lock(mutex_);
    return size_;
}

bool Spool::onDisk() const {
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
}

QByteArray Spool::read(qint64 offset, qint64 length) const {
    std::lock_guard lock(mutex_);
    if (offset < 0 || length <= 0 || offset >= size_)
        return {};
    length = std::min(length, size_ - offset);
    QByteArray out;
    const qint64 inMemory = memory_.size();
    if (offset < inMemory) {
        const qint64 n = std::min(length, inMemory - offset);
        out = memory_.mid(offset, n);
        offset += n;
        length -= n;
    }
    if (length > 0 && file_) {
        // A short read from our own file leaves the answer short; callers treat it as bytes
        // not there.
        if (file_->seek(offset - inMemory))
            out.append(file_->read(length));
    }
    return out;
}

} // namespace swf::media

#include "swf/format/Decompressor.h"

#include <algorithm>
#include <lzma.h>
#include <zlib.h>

namespace swf {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

class ZlibDecompressor final : public Decompressor {
public:
    explicit ZlibDecompressor(uint32_t limit) : limit_(limit) {
        ok_ = inflateInit(&stream_) == Z_OK;
    }
    ~ZlibDecompressor() override {
        if (ok_)
            inflateEnd(&stream_);
    }

    Result<void> feed(const uint8_t* data, std::size_t size, QByteArray& out) override {
        if (!ok_)
            return Error{QStringLiteral("The zlib decoder could not be set up.")};
        if (ended_)
            return {};
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = static_cast<uInt>(size);
        while (!ended_) {
            const std::size_t room = std::min<std::size_t>(kChunk, limit_ - produced_);
            if (room == 0) {
                ended_ = true;
                break;
            }
            const qsizetype before = out.size();
            out.resize(before + static_cast<qsizetype>(room));
            stream_.next_out = reinterpret_cast<Bytef*>(out.data() + before);
            stream_.avail_out = static_cast<uInt>(room);
            const int ret = inflate(&stream_, Z_NO_FLUSH);
            const std::size_t got = room - stream_.avail_out;
            out.resize(before + static_cast<qsizetype>(got));
            produced_ += got;
            if (ret == Z_STREAM_END) {
                ended_ = true;
            } else if (ret != Z_OK && ret != Z_BUF_ERROR) {
                return Error{QStringLiteral("The compressed movie data is corrupt (zlib: %1).")
                                 .arg(QString::fromLatin1(stream_.msg ? stream_.msg : "error"))};
            } else if (ret == Z_BUF_ERROR || (stream_.avail_in == 0 && stream_.avail_out > 0)) {
                break;
            }
        }
        return {};
    }
    bool ended() const override { return ended_; }

private:
    z_stream stream_{};
    std::size_t limit_;
    std::size_t produced_ = 0;
    bool ok_ = false;
    bool ended_ = false;
};

class LzmaDecompressor final : public Decompressor {
public:
    ~LzmaDecompressor() override { lzma_end(&stream_); }

    Result<void> init(const uint8_t* properties, uint32_t uncompressedSize) {
        limit_ = uncompressedSize;
        // The .lzma ("alone") header is the five property bytes and the uncompressed size.
        // The dictionary never needs to be larger than the data, and a hostile size in the
        // properties must not make the decoder reserve gigabytes.
        uint8_t header[13];
        std::copy(properties, properties + 5, header);
        uint32_t dict =
            static_cast<uint32_t>(properties[1]) | static_cast<uint32_t>(properties[2]) << 8 |
            static_cast<uint32_t>(properties[3]) << 16 | static_cast<uint32_t>(properties[4]) << 24;
        dict = std::clamp<uint32_t>(dict, 4096, std::max<uint32_t>(uncompressedSize, 4096));
        for (int i = 0; i < 4; ++i)
            header[1 + i] = static_cast<uint8_t>(dict >> (8 * i));
        uint64_t size = uncompressedSize;
        for (int i = 0; i < 8; ++i)
            header[5 + i] = static_cast<uint8_t>(size >> (8 * i));
        if (properties[0] >= 9 * 5 * 5)
            return Error{QStringLiteral("The LZMA properties of the movie are invalid.")};
        if (lzma_alone_decoder(&stream_, 512u * 1024 * 1024) != LZMA_OK)
            return Error{QStringLiteral("The LZMA decoder could not be set up.")};
        QByteArray sink;
        return feedRaw(header, sizeof header, sink);
    }

    Result<void> feed(const uint8_t* data, std::size_t size, QByteArray& out) override {
        return feedRaw(data, size, out);
    }
    bool ended() const override { return ended_; }

private:
    Result<void> feedRaw(const uint8_t* data, std::size_t size, QByteArray& out) {
        if (ended_)
            return {};
        stream_.next_in = data;
        stream_.avail_in = size;
        while (!ended_) {
            const std::size_t room = std::min<std::size_t>(kChunk, limit_ - produced_);
            if (room == 0) {
                ended_ = true;
                break;
            }
            const qsizetype before = out.size();
            out.resize(before + static_cast<qsizetype>(room));
            stream_.next_out = reinterpret_cast<uint8_t*>(out.data() + before);
            stream_.avail_out = room;
            const lzma_ret ret = lzma_code(&stream_, LZMA_RUN);
            const std::size_t got = room - stream_.avail_out;
            out.resize(before + static_cast<qsizetype>(got));
            produced_ += got;
            if (ret == LZMA_STREAM_END) {
                ended_ = true;
            } else if (ret != LZMA_OK && ret != LZMA_BUF_ERROR) {
                return Error{QStringLiteral("The compressed movie data is corrupt (LZMA error %1).")
                                 .arg(static_cast<int>(ret))};
            } else if (stream_.avail_in == 0 && stream_.avail_out > 0) {
                break;
            } else if (got == 0 && ret == LZMA_BUF_ERROR) {
                break;
            }
        }
        return {};
    }

    lzma_stream stream_ = LZMA_STREAM_INIT;
    std::size_t limit_ = 0;
    std::size_t produced_ = 0;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<Decompressor> Decompressor::zlib(uint32_t outputLimit) {
    return std::make_unique<ZlibDecompressor>(outputLimit);
}

Result<std::unique_ptr<Decompressor>> Decompressor::lzma(const uint8_t* properties,
                                                         uint32_t uncompressedSize) {
    auto d = std::make_unique<LzmaDecompressor>();
    auto r = d->init(properties, uncompressedSize);
    if (!r)
        return r.error();
    return std::unique_ptr<Decompressor>(std::move(d));
}

} // namespace swf

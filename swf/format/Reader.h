#pragma once

// The one bounds-checked reader every parser of the engine goes through. A read past the end
// does not throw: it returns zero and marks the reader failed, so a parser reads a whole
// structure and checks failed() once at the end. Bit reads (UB/SB/FB) and byte reads share the
// position; any byte read first aligns to the next byte, as the file format does.

#include "swf/format/Types.h"

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QTransform>
#include <cstddef>
#include <cstdint>

namespace swf {

class Reader {
public:
    Reader() = default;
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit Reader(const QByteArray& bytes)
        : data_(reinterpret_cast<const uint8_t*>(bytes.constData())),
          size_(static_cast<std::size_t>(bytes.size())) {}
    // The reader does not own its bytes: a temporary would be gone before the first read.
    explicit Reader(QByteArray&&) = delete;

    bool failed() const { return failed_; }
    void fail() { failed_ = true; }
    std::size_t position() const { return pos_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
    bool atEnd() const { return remaining() == 0; }
    const uint8_t* current() const { return data_ + pos_; }

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    double fixed8() { return s16() / 256.0; }    // 8.8 signed fixed point
    double fixed16() { return s32() / 65536.0; } // 16.16 signed fixed point
    float f32();
    uint32_t encodedU32();

    uint32_t ub(int bits);
    int32_t sb(int bits);
    double fb(int bits) { return sb(bits) / 65536.0; }
    void align() { bitCount_ = 0; }

    // Moves on by n bytes; fails (and moves to the end) when fewer remain.
    void skip(std::size_t n);
    // A copy of the next n bytes, or an empty array and a failed reader when fewer remain.
    QByteArray bytes(std::size_t n);
    // A reader over the next n bytes, which this reader steps over.
    Reader sub(std::size_t n);
    // A reader over this reader's bytes from offset on, wherever this one stands; failed when
    // offset is past the end.
    Reader from(std::size_t offset) const {
        Reader r;
        if (offset > size_) {
            r.failed_ = true;
            return r;
        }
        r.data_ = data_ + offset;
        r.size_ = size_ - offset;
        return r;
    }
    // A zero-terminated string; the terminator is consumed. Fails when there is none.
    QByteArray string();

    QRectF rect(); // in twips
    QTransform matrix();
    ColorTransform colorTransform(bool withAlpha);
    QColor rgb();
    QColor rgba();
    QColor argb();

private:
    bool need(std::size_t n);

    const uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    uint8_t bitBuffer_ = 0;
    int bitCount_ = 0; // bits of bitBuffer_ not yet read
    bool failed_ = false;
};

} // namespace swf

#include "swf/format/Reader.h"

#include <cstring>

namespace swf {

bool Reader::need(std::size_t n) {
    bitCount_ = 0;
    if (failed_ || size_ - pos_ < n) {
        failed_ = true;
        pos_ = size_;
        return false;
    }
    return true;
}

uint8_t Reader::u8() {
    if (!need(1))
        return 0;
    return data_[pos_++];
}

uint16_t Reader::u16() {
    if (!need(2))
        return 0;
    const uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
}

uint32_t Reader::u32() {
    if (!need(4))
        return 0;
    const uint32_t v =
        static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
        static_cast<uint32_t>(data_[pos_ + 2]) << 16 | static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
}

float Reader::f32() {
    const uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t Reader::encodedU32() {
    uint32_t value = 0;
    for (int i = 0; i < 5; ++i) {
        const uint8_t b = u8();
        value |= static_cast<uint32_t>(b & 0x7f) << (7 * i);
        if (!(b & 0x80))
            break;
    }
    return value;
}

uint32_t Reader::ub(int bits) {
    if (bits <= 0 || bits > 32) {
        if (bits != 0)
            failed_ = true;
        return 0;
    }
    uint32_t value = 0;
    while (bits > 0) {
        if (bitCount_ == 0) {
            if (failed_ || pos_ >= size_) {
                failed_ = true;
                pos_ = size_;
                return 0;
            }
            bitBuffer_ = data_[pos_++];
            bitCount_ = 8;
        }
        const int take = bits < bitCount_ ? bits : bitCount_;
        const uint32_t chunk = (bitBuffer_ >> (bitCount_ - take)) & ((1u << take) - 1);
        value = take == 32 ? chunk : (value << take) | chunk;
        bitCount_ -= take;
        bits -= take;
    }
    return value;
}

int32_t Reader::sb(int bits) {
    const uint32_t raw = ub(bits);
    if (bits <= 0 || bits >= 32)
        return static_cast<int32_t>(raw);
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

void Reader::skip(std::size_t n) {
    if (need(n))
        pos_ += n;
}

QByteArray Reader::bytes(std::size_t n) {
    if (!need(n))
        return {};
    QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(n));
    pos_ += n;
    return out;
}

Reader Reader::sub(std::size_t n) {
    if (!need(n)) {
        Reader r;
        r.failed_ = true;
        return r;
    }
    Reader r(data_ + pos_, n);
    pos_ += n;
    return r;
}

QByteArray Reader::string() {
    if (!need(0))
        return {};
    const void* end = std::memchr(data_ + pos_, 0, size_ - pos_);
    if (!end) {
        failed_ = true;
        pos_ = size_;
        return {};
    }
    const std::size_t n = static_cast<const uint8_t*>(end) - (data_ + pos_);
    QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(n));
    pos_ += n + 1;
    return out;
}

QRectF Reader::rect() {
    align();
    const int n = static_cast<int>(ub(5));
    const double xmin = sb(n), xmax = sb(n), ymin = sb(n), ymax = sb(n);
    align();
    return QRectF(QPointF(xmin, ymin), QPointF(xmax, ymax));
}

QTransform Reader::matrix() {
    align();
    double a = 1, d = 1, b = 0, c = 0;
    if (ub(1)) {
        const int n = static_cast<int>(ub(5));
        a = fb(n);
        d = fb(n);
    }
    if (ub(1)) {
        const int n = static_cast<int>(ub(5));
        b = fb(n);
        c = fb(n);
    }
    const int n = static_cast<int>(ub(5));
    const double tx = sb(n), ty = sb(n);
    align();
    // x' = a*x + c*y + tx; y' = b*x + d*y + ty (SWF's RotateSkew0 is b, RotateSkew1 is c).
    return QTransform(a, b, c, d, tx, ty);
}

ColorTransform Reader::colorTransform(bool withAlpha) {
    align();
    ColorTransform cx;
    const bool hasAdd = ub(1);
    const bool hasMult = ub(1);
    const int n = static_cast<int>(ub(4));
    if (hasMult) {
        cx.mul[0] = sb(n) / 256.0f;
        cx.mul[1] = sb(n) / 256.0f;
        cx.mul[2] = sb(n) / 256.0f;
        if (withAlpha)
            cx.mul[3] = sb(n) / 256.0f;
    }
    if (hasAdd) {
        cx.add[0] = static_cast<float>(sb(n));
        cx.add[1] = static_cast<float>(sb(n));
        cx.add[2] = static_cast<float>(sb(n));
        if (withAlpha)
            cx.add[3] = static_cast<float>(sb(n));
    }
    align();
    return cx;
}

QColor Reader::rgb() {
    const int r = u8(), g = u8(), b = u8();
    return QColor(r, g, b);
}

QColor Reader::rgba() {
    const int r = u8(), g = u8(), b = u8(), a = u8();
    return QColor(r, g, b, a);
}

QColor Reader::argb() {
    const int a = u8(), r = u8(), g = u8(), b = u8();
    return QColor(r, g, b, a);
}

} // namespace swf

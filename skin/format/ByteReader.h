#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "skin/format/SkinError.h"

namespace skin {

// The one bounds-checked reader every skin parser reads through. Reading past the end throws
// SkinError with the message given at construction (a read error, or the decompression error
// that cut the data short).
class ByteReader {
public:
    ByteReader(const void* data, std::size_t size,
               std::string endMessage = "Stream read error: unexpected end of skin data")
        : data_(static_cast<const std::uint8_t*>(data)), size_(size),
          endMessage_(std::make_shared<const std::string>(std::move(endMessage))) {}
    explicit ByteReader(std::string_view bytes) : ByteReader(bytes.data(), bytes.size()) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ == size_; }

    std::uint8_t u8() {
        need(1);
        return data_[pos_++];
    }
    // The next byte, left unread.
    std::uint8_t peekU8() const {
        need(1);
        return data_[pos_];
    }
    std::int8_t i8() { return std::int8_t(u8()); }
    std::int16_t i16() {
        need(2);
        const auto v = std::uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return std::int16_t(v);
    }
    std::uint16_t u16() { return std::uint16_t(i16()); }
    std::uint32_t u32() {
        need(4);
        const std::uint32_t v = std::uint32_t(data_[pos_]) | std::uint32_t(data_[pos_ + 1]) << 8 |
                                std::uint32_t(data_[pos_ + 2]) << 16 |
                                std::uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    std::int32_t i32() { return std::int32_t(u32()); }

    // Bytes stay owned by the caller's buffer.
    std::string_view bytes(std::size_t n) {
        need(n);
        std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return v;
    }
    void skip(std::size_t n) { bytes(n); }

    // A count or length of the skin description: signed 32-bit, never negative.
    std::size_t length(const char* what) {
        const std::int32_t n = i32();
        if (n < 0)
            throw SkinError(std::string("Invalid ") + what + " in skin data: " + std::to_string(n));
        return std::size_t(n);
    }
    // A 32-bit length, then that many bytes.
    std::string string32() {
        const std::size_t n = length("string length");
        return std::string(bytes(n));
    }
    // The same, without copying: the view lives as long as the reader's buffer.
    std::string_view stringView32() {
        const std::size_t n = length("string length");
        return bytes(n);
    }
    // One length byte, then that many bytes.
    std::string shortString() { return std::string(shortStringView()); }
    std::string_view shortStringView() {
        const std::size_t n = u8();
        return bytes(n);
    }

    // A reader over the next n bytes, advancing this one past them.
    ByteReader sub(std::size_t n) {
        need(n);
        ByteReader r(data_ + pos_, n, endMessage_);
        pos_ += n;
        return r;
    }

private:
    ByteReader(const std::uint8_t* data, std::size_t size,
               std::shared_ptr<const std::string> endMessage)
        : data_(data), size_(size), endMessage_(std::move(endMessage)) {}

    void need(std::size_t n) const {
        if (n > size_ - pos_)
            throw SkinError(*endMessage_);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_{0};
    // Shared: sub-readers and look-ahead copies are made per record and per property.
    std::shared_ptr<const std::string> endMessage_;
};

} // namespace skin

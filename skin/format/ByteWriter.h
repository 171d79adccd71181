#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "skin/format/SkinError.h"

namespace skin {

// Little-endian output in the encodings of the skin description.
class ByteWriter {
public:
    std::string& bytes() { return out_; }
    const std::string& bytes() const { return out_; }
    std::size_t size() const { return out_.size(); }

    void u8(std::uint8_t v) { out_.push_back(char(v)); }
    void i16(std::int16_t v) {
        u8(std::uint8_t(v));
        u8(std::uint8_t(std::uint16_t(v) >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(std::uint8_t(v >> (8 * i)));
    }
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void raw(std::string_view b) { out_.append(b); }
    void string32(std::string_view s) {
        if (s.size() > 0x7FFFFFFF)
            throw SkinError("String too long for a skin");
        i32(std::int32_t(s.size()));
        raw(s);
    }
    void shortString(std::string_view s) {
        if (s.size() > 255)
            throw SkinError("Name longer than 255 bytes cannot be stored: " + std::string(s));
        u8(std::uint8_t(s.size()));
        raw(s);
    }
    // Overwrites four bytes written earlier (a length known only afterwards).
    void patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out_[at + i] = char(std::uint8_t(v >> (8 * i)));
    }

private:
    std::string out_;
};

} // namespace skin

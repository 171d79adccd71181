#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace skin::zlib {

// The result of inflating as much of a zlib stream as is sound. `error` is empty when the
// stream ended properly; otherwise it says why the output stops where it does.
struct Inflated {
    std::unique_ptr<char[]> buffer;
    std::size_t size{0};
    std::string error;
    std::size_t consumed{0}; // input bytes up to the end of the stream

    std::string_view data() const { return {buffer.get(), size}; }
};

// Decompresses one zlib stream from the front of `input`, never producing more than
// `maxOutput` bytes (a larger result is reported as an error).
Inflated inflate(std::string_view input, std::size_t maxOutput);

std::string deflate(std::string_view input, int level);

// The Adler-32 checksum of zlib streams, continued from `adler` (1 for a fresh one).
std::uint32_t adler32(std::uint32_t adler, std::string_view data);

} // namespace skin::zlib

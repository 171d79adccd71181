#pragma once

// Streaming decompression of the body of a CWS (zlib) or ZWS (LZMA) file. Input arrives in
// pieces; output is appended to a buffer and never grows past the limit given at creation.

#include "swf/format/Result.h"

#include <QByteArray>
#include <cstdint>
#include <memory>

namespace swf {

class Decompressor {
public:
    virtual ~Decompressor() = default;
    // Decodes as much of the input as possible into out. Returns an error for corrupt data.
    virtual Result<void> feed(const uint8_t* data, std::size_t size, QByteArray& out) = 0;
    // The compressed stream reached its proper end (or the output limit).
    virtual bool ended() const = 0;

    static std::unique_ptr<Decompressor> zlib(uint32_t outputLimit);
    // properties: the five LZMA property bytes of the ZWS header.
    static Result<std::unique_ptr<Decompressor>> lzma(const uint8_t* properties,
                                                      uint32_t uncompressedSize);
};

} // namespace swf

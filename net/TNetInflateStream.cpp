#include "net/TNetInflateStream.h"
#include "net/CutToken.h"
#include "net/ENetException.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace net {

struct TNetInflateStream::State {
    z_stream z{};
    bool initialised = false;
    std::vector<unsigned char> out = std::vector<unsigned char>(64 * 1024);
};

TNetInflateStream::Coding TNetInflateStream::CodingOf(const std::string& contentEncoding) {
    std::string rest = contentEncoding;
    std::vector<std::string> codings;
    while (!rest.empty()) {
        std::string coding = UpperCase(TrimBlanks(CutToken(rest, ",", true)));
        if (!coding.empty() && coding != "IDENTITY")
            codings.push_back(coding);
    }
    if (codings.empty())
        return Coding::Identity;
    // Codings stacked on one another are something no server we know of sends.
    if (codings.size() > 1)
        return Coding::Unsupported;
    if (codings[0] == "GZIP" || codings[0] == "X-GZIP")
        return Coding::Gzip;
    if (codings[0] == "DEFLATE")
        return Coding::Deflate;
    return Coding::Unsupported;
}

TNetInflateStream::TNetInflateStream(TNetStream& target, Format format, int64_t maxOutput)
    : target_(target), format_(format), maxOutput_(maxOutput), state_(std::make_unique<State>()) {
    if (format_ == Format::Gzip)
        start(false);
}

TNetInflateStream::~TNetInflateStream() {
    if (state_->initialised)
        inflateEnd(&state_->z);
}

void TNetInflateStream::start(bool raw) {
    const int windowBits = format_ == Format::Gzip ? 16 + MAX_WBITS : raw ? -MAX_WBITS : MAX_WBITS;
    if (inflateInit2(&state_->z, windowBits) != Z_OK)
        throw ENetProtocolError("Cannot start decompressing the body.");
    state_->initialised = true;
    started_ = true;
}

void TNetInflateStream::Write(const char* data, std::size_t count) {
    received_ += static_cast<int64_t>(count);
    if (!started_) {
        // "deflate" is meant to be zlib data, but some servers send the bare deflate stream;
        // the first two bytes tell which.
        head_.append(data, count);
        if (head_.size() < 2)
            return;
        const auto b0 = static_cast<unsigned char>(head_[0]);
        const auto b1 = static_cast<unsigned char>(head_[1]);
        const bool zlibWrapped = (b0 & 0x0F) == Z_DEFLATED && (b0 >> 4) <= 7 &&
                                 ((static_cast<unsigned>(b0) << 8) | b1) % 31 == 0;
        start(!zlibWrapped);
        const std::string bytes = std::move(head_);
        head_.clear();
        inflateSome(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        return;
    }
    inflateSome(reinterpret_cast<const unsigned char*>(data), count);
}

void TNetInflateStream::inflateSome(const unsigned char* data, std::size_t count) {
    z_stream& z = state_->z;
    std::vector<unsigned char>& out = state_->out;
    // zlib counts in 32-bit units; feed larger writes in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    bool outputFull = false;
    std::size_t fed = 0;
    z.avail_in = 0;
    for (;;) {
        if (z.avail_in == 0 && fed < count) {
            const std::size_t piece = std::min(kPiece, count - fed);
            z.next_in = const_cast<Bytef*>(data + fed);
            z.avail_in = static_cast<uInt>(piece);
            fed += piece;
        }
        if (ended_) {
            // Zero padding after the end is dropped, as gzip itself does; further gzip data
            // is another member of the same file.
            while (z.avail_in > 0 && *z.next_in == 0) {
                ++z.next_in;
                --z.avail_in;
            }
            if (z.avail_in == 0) {
                if (fed < count)
                    continue;
                return;
            }
            if (format_ != Format::Gzip)
                throw ENetProtocolError("Invalid compressed body: data after its end.");
            inflateReset(&z);
            ended_ = false;
        } else if (z.avail_in == 0 && !outputFull) {
            return;
        }

        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const std::size_t produced = out.size() - z.avail_out;
        outputFull = z.avail_out == 0;
        if (produced > 0) {
            if (static_cast<int64_t>(produced) > maxOutput_ - decoded_)
                throw ENetLimitExceeded("Decompressed body larger than " +
                                        std::to_string(maxOutput_) + " bytes.");
            target_.Write(reinterpret_cast<const char*>(out.data()), produced);
            decoded_ += static_cast<int64_t>(produced);
        }
        if (rc == Z_STREAM_END) {
            ended_ = true;
            outputFull = false;
        } else if (rc == Z_BUF_ERROR) {
            // No progress was possible: the input is used up and nothing was left to write.
            outputFull = false;
        } else if (rc != Z_OK) {
            throw ENetProtocolError(std::string("Invalid compressed body: ") +
                                    (z.msg ? z.msg : "unreadable data") + ".");
        }
    }
}

void TNetInflateStream::Finish() {
    if (received_ == 0)
        return;
    if (!ended_)
        throw ENetProtocolError("Compressed body ends before its end.");
}

} // namespace net

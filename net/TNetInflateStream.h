#pragma once

#include "net/TNetStream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace net {

// Undoes a gzip or deflate Content-Encoding on the way into the target stream, so that what
// lands in a download is the file itself and not its compressed form. Position and size are
// the target's: the client trims and rewinds the target through this object as it would the
// target itself.
class TNetInflateStream final : public TNetStream {
public:
    enum class Format { Gzip, Deflate };

    // What a Content-Encoding value asks for: nothing to undo, one coding we undo, or
    // something we cannot read.
    enum class Coding { Identity, Gzip, Deflate, Unsupported };
    static Coding CodingOf(const std::string& contentEncoding);

    // maxOutput bounds the decoded bytes: a few kilobytes of gzip may expand to gigabytes.
    TNetInflateStream(TNetStream& target, Format format, int64_t maxOutput);
    ~TNetInflateStream() override;
    TNetInflateStream(const TNetInflateStream&) = delete;
    TNetInflateStream& operator=(const TNetInflateStream&) = delete;

    int64_t Position() const override { return target_.Position(); }
    void SetPosition(int64_t position) override { target_.SetPosition(position); }
    int64_t Size() const override { return target_.Size(); }
    void SetSize(int64_t size) override { target_.SetSize(size); }
    // Raises ENetProtocolError on bytes that are not the announced coding and
    // ENetLimitExceeded past maxOutput.
    void Write(const char* data, std::size_t count) override;
    std::size_t Read(char*, std::size_t) override { return 0; }

    // After the last body byte: raises when the compressed data stopped before its end.
    // A body of no bytes at all is let through as an empty file.
    void Finish();

    int64_t DecodedBytes() const { return decoded_; }

private:
    void start(bool raw);
    void inflateSome(const unsigned char* data, std::size_t count);

    struct State;
    TNetStream& target_;
    Format format_;
    int64_t maxOutput_;
    std::unique_ptr<State> state_;
    std::string head_; // the first bytes of a deflate body, until its wrapper is known
    bool started_ = false;
    bool ended_ = false; // the current member (or the deflate data) came to its end
    int64_t received_ = 0;
    int64_t decoded_ = 0;
};

} // namespace net

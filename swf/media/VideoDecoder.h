#pragma once

// One video decoder of libavcodec for the codecs a Flash movie carries (Sorenson H.263, screen
// video 1 and 2, VP6 with and without alpha, H.264), giving pictures as premultiplied ARGB
// images. Packets go in with their frame numbers; pictures come out in display order, which
// for H.264 with reordered frames may be some packets later.

#include "swf/format/Result.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace swf::media {

class VideoDecoder {
public:
    // codec is the file's code (swf::videocodec); avcConfig is H.264's decoder configuration
    // record, empty for the other codecs. Pictures the codec says are larger than maxPixels
    // are refused before anything is reserved for them. An error when no decoder for the
    // codec is built in.
    static Result<std::unique_ptr<VideoDecoder>>
    create(uint8_t codec, const QByteArray& avcConfig = {}, uint64_t maxPixels = 0);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    uint8_t codec() const { return codec_; }
    // Sorenson H.263 only: the stream's deblocking setting (0 follows each picture's own flag,
    // 1 never, 2 to 6 always, stronger as it rises). Flash smooths the block edges of the
    // picture shown; the pictures later ones are predicted from stay as decoded.
    void setDeblocking(uint8_t mode) { deblocking_ = mode; }
    // Whether pictures can come out later than their packets went in.
    bool reorders() const;

    // Decodes one packet as the movie stores it. A damaged packet is an error; the decoder
    // goes on with the next one.
    Result<void> send(const QByteArray& packet, int64_t frameNumber);
    // The next picture ready, with the frame number its packet went in with.
    std::optional<std::pair<int64_t, QImage>> receive();
    // No more packets: the pictures held back for reordering become ready.
    void drain();
    // Forgets every earlier picture: decoding starts again at a key frame.
    void reset();

private:
    struct State;
    VideoDecoder(uint8_t codec, uint64_t maxPixels);
    QImage toImage() const;
    QImage fromYuv420() const;

    // The strength the picture being received is smoothed with (0: not at all).
    int deblockStrength() const;

    uint8_t codec_;
    uint64_t maxPixels_;
    uint8_t deblocking_ = 0;
    bool frameDeblocks_ = false; // the last picture header's flag
    int frameQuant_ = 0;
    std::unique_ptr<State> d_;
};

} // namespace swf::media

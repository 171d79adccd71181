#pragma once

// Video made while the tests run: pictures encoded with libavcodec's own encoders into the
// packets VideoFrame tags carry, so no recorded video is shipped.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

namespace mediatest {

struct EncodedVideo {
    std::vector<QByteArray> packets; // one per picture, in order
    std::vector<bool> keyFrames;     // as the encoder marked them
    QByteArray avcConfig;            // H.264 only: the decoder configuration record
    // As the encoder gave them, for writing other containers: the packets, their showing
    // and decoding positions (in pictures) and the codec's extra data.
    std::vector<QByteArray> raw;
    std::vector<int64_t> pts, dts;
    QByteArray extradata;
};

// Encodes the pictures (all of one size) with the movie codec (2 Sorenson H.263, 3 screen
// video, 6 screen video 2, 7 H.264), a key frame every keyInterval pictures; nullopt when
// this libavcodec has no encoder for it. bFrames > 0 lets H.264 reorder pictures.
std::optional<EncodedVideo> encodeVideo(uint8_t codec, const std::vector<QImage>& pictures,
                                        int keyInterval, int bFrames = 0);

// A picture of one colour, and one with a different colour in each quarter.
QImage solidPicture(int width, int height, QColor colour);
QImage quarteredPicture(int width, int height, QColor topLeft, QColor topRight, QColor bottomLeft,
                        QColor bottomRight);

// H.264 as VideoFrame tags carry it: the configuration packet (type 0) and picture packets.
QByteArray avcConfigPacket(const QByteArray& avcConfig);

} // namespace mediatest

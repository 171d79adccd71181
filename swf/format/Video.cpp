#include "swf/format/Video.h"

namespace swf {

namespace {

Error broken(const char* what) {
    return Error{QStringLiteral("Broken %1 tag.").arg(QLatin1String(what))};
}

// Reads big-endian bit fields, which the codecs' own headers use.
class BitReader {
public:
    explicit BitReader(const QByteArray& b) : data_(b) {}
    std::optional<uint32_t> bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const std::size_t byte = pos_ / 8;
            if (byte >= static_cast<std::size_t>(data_.size()))
                return std::nullopt;
            const int bit = (static_cast<uint8_t>(data_[static_cast<qsizetype>(byte)]) >>
                             (7 - static_cast<int>(pos_ % 8))) &
                            1;
            v = (v << 1) | static_cast<uint32_t>(bit);
            ++pos_;
        }
        return v;
    }

private:
    const QByteArray& data_;
    std::size_t pos_ = 0;
};

// Sorenson H.263: the picture header names the picture type after the start code, version,
// temporal reference and the picture size (with its own width and height when custom).
bool h263KeyFrame(const QByteArray& p) {
    BitReader b(p);
    const auto start = b.bits(17);
    if (!start || *start != 1)
        return false;
    if (!b.bits(5) || !b.bits(8))
        return false;
    const auto size = b.bits(3);
    if (!size)
        return false;
    if (*size == 0 && (!b.bits(8) || !b.bits(8)))
        return false;
    if (*size == 1 && (!b.bits(16) || !b.bits(16)))
        return false;
    const auto type = b.bits(2);
    return type && *type == 0;
}

// Screen video: a picture is self-contained when every block carries data (an empty block
// means "unchanged"), and for version 2 when no block refers to the previous picture.
bool screenKeyFrame(const QByteArray& p, bool version2) {
    if (p.size() < 4)
        return false;
    const auto byte = [&](qsizetype i) { return static_cast<uint8_t>(p[i]); };
    const int blockWidth = ((byte(0) >> 4) + 1) * 16;
    const int width = ((byte(0) & 0x0f) << 8) | byte(1);
    const int blockHeight = ((byte(2) >> 4) + 1) * 16;
    const int height = ((byte(2) & 0x0f) << 8) | byte(3);
    if (width == 0 || height == 0)
        return false;
    qsizetype pos = 4;
    if (version2) {
        if (pos >= p.size())
            return false;
        const uint8_t flags = byte(pos++);
        if (flags & 0x01) { // palette information
            if (pos + 2 > p.size())
                return false;
            pos += 2 + ((byte(pos) << 8) | byte(pos + 1)); // palette's own size
        }
    }
    const int blocks =
        ((width + blockWidth - 1) / blockWidth) * ((height + blockHeight - 1) / blockHeight);
    for (int i = 0; i < blocks; ++i) {
        if (pos + 2 > p.size())
            return false;
        const int size = (byte(pos) << 8) | byte(pos + 1);
        pos += 2;
        if (size == 0 || pos + size > p.size())
            return false;
        // Diff blocks, or blocks whose compression starts from the last picture's.
        if (version2 && (byte(pos) & 0x07))
            return false;
        pos += size;
    }
    return true;
}

// H.264 in FLV's packet form: a type byte (1 for pictures), three bytes of composition time,
// then length-prefixed units; an IDR slice makes the packet a key frame.
bool avcKeyFrame(const QByteArray& p) {
    if (p.size() < 5 || p[0] != 1)
        return false;
    qsizetype pos = 4;
    while (pos + 4 < p.size()) {
        const uint32_t len = (static_cast<uint32_t>(static_cast<uint8_t>(p[pos])) << 24) |
                             (static_cast<uint32_t>(static_cast<uint8_t>(p[pos + 1])) << 16) |
                             (static_cast<uint32_t>(static_cast<uint8_t>(p[pos + 2])) << 8) |
                             static_cast<uint8_t>(p[pos + 3]);
        pos += 4;
        if (len == 0 || len > static_cast<uint32_t>(p.size() - pos))
            return false;
        if ((static_cast<uint8_t>(p[pos]) & 0x1f) == 5)
            return true;
        pos += len;
    }
    return false;
}

} // namespace

void VideoFrameStore::add(uint16_t number, VideoFrameData frame) {
    std::lock_guard lock(mutex_);
    frames_.emplace(number, std::move(frame));
}

std::optional<VideoFrameData> VideoFrameStore::frame(int number) const {
    std::lock_guard lock(mutex_);
    const auto it = frames_.find(number);
    if (it == frames_.end())
        return std::nullopt;
    return it->second;
}

std::optional<int> VideoFrameStore::lastAtOrBefore(int number) const {
    std::lock_guard lock(mutex_);
    auto it = frames_.upper_bound(number);
    if (it == frames_.begin())
        return std::nullopt;
    return std::prev(it)->first;
}

std::optional<int> VideoFrameStore::keyAtOrBefore(int number) const {
    std::lock_guard lock(mutex_);
    auto it = frames_.upper_bound(number);
    while (it != frames_.begin()) {
        --it;
        if (it->second.keyFrame)
            return it->first;
    }
    return std::nullopt;
}

std::optional<int> VideoFrameStore::nextAfter(int number) const {
    std::lock_guard lock(mutex_);
    const auto it = frames_.upper_bound(number);
    if (it == frames_.end())
        return std::nullopt;
    return it->first;
}

std::size_t VideoFrameStore::size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

void VideoFrameStore::setDecoderConfig(QByteArray config) {
    std::lock_guard lock(mutex_);
    if (config_.isEmpty())
        config_ = std::move(config);
}

QByteArray VideoFrameStore::decoderConfig() const {
    std::lock_guard lock(mutex_);
    return config_;
}

Result<std::shared_ptr<VideoCharacter>> parseDefineVideoStream(Reader& r) {
    const uint16_t id = r.u16();
    VideoStreamInfo info;
    info.frameCount = r.u16();
    info.width = r.u16();
    info.height = r.u16();
    const uint8_t flags = r.u8();
    info.codec = r.u8();
    if (r.failed())
        return broken("DefineVideoStream");
    info.deblocking = (flags >> 1) & 0x07;
    info.smoothing = flags & 0x01;
    return std::make_shared<VideoCharacter>(id, info);
}

Result<VideoFrameTag> parseVideoFrame(Reader& r) {
    VideoFrameTag t;
    t.streamId = r.u16();
    t.frameNumber = r.u16();
    if (r.failed())
        return broken("VideoFrame");
    // The packet is the rest of the tag, already in memory as part of the file.
    t.data = r.bytes(r.remaining());
    return t;
}

bool isVideoKeyFrame(uint8_t codec, const QByteArray& packet) {
    switch (codec) {
    case videocodec::SorensonH263:
        return h263KeyFrame(packet);
    case videocodec::ScreenVideo:
        return screenKeyFrame(packet, false);
    case videocodec::ScreenVideo2:
        return screenKeyFrame(packet, true);
    case videocodec::Vp6:
        // The first bit of a VP6 frame is clear for an intra frame.
        return !packet.isEmpty() && !(static_cast<uint8_t>(packet[0]) & 0x80);
    case videocodec::Vp6Alpha:
        // Three bytes of offset to the alpha plane come first.
        return packet.size() > 3 && !(static_cast<uint8_t>(packet[3]) & 0x80);
    case videocodec::H264:
        return avcKeyFrame(packet);
    default:
        return false;
    }
}

} // namespace swf

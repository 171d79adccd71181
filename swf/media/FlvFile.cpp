#include "swf/media/FlvFile.h"

#include <algorithm>
#include <limits>

namespace swf::media {

namespace {

uint32_t be(const QByteArray& b, qsizetype at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

constexpr uint8_t kAudioTag = 8;
constexpr uint8_t kVideoTag = 9;

} // namespace

Result<FlvFile> FlvFile::parse(const QByteArray& bytes) {
    if (bytes.size() < 9 || !bytes.startsWith("FLV") || bytes[3] != 1)
        return Error{QStringLiteral("Not an FLV file.")};
    const uint32_t headerSize = be(bytes, 5, 4);
    if (headerSize < 9)
        return Error{QStringLiteral("Broken FLV header.")};
    FlvFile file;
    // The header, then the size of the (absent) tag before the first.
    qsizetype pos = static_cast<qsizetype>(headerSize) + 4;
    while (true) {
        if (pos == bytes.size()) {
            file.complete_ = true;
            break;
        }
        if (pos + 11 > bytes.size())
            break; // the next tag has not arrived yet (or the file was cut)
        const uint8_t type = static_cast<uint8_t>(bytes[pos]) & 0x1f;
        const uint32_t size = be(bytes, pos + 1, 3);
        const uint32_t time = be(bytes, pos + 4, 3) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(bytes[pos + 7])) << 24);
        // Sizes are checked against what is there; nothing is reserved from them.
        if (static_cast<qsizetype>(size) + 15 > bytes.size() - pos)
            break;
        const QByteArray body = bytes.mid(pos + 11, size);
        const bool encrypted = static_cast<uint8_t>(bytes[pos]) & 0x20;
        if (!encrypted) {
            if (type == kVideoTag)
                file.addVideo(time, body);
            else if (type == kAudioTag)
                file.addSound(time, body);
        }
        file.duration_ = std::max(file.duration_, time);
        pos += 11 + static_cast<qsizetype>(size) + 4;
    }
    return file;
}

void FlvFile::addVideo(uint32_t time, const QByteArray& body) {
    if (body.isEmpty())
        return;
    const uint8_t head = static_cast<uint8_t>(body[0]);
    const int frameType = head >> 4;
    const uint8_t codec = head & 0x0f;
    if (frameType == 5)
        return; // a command to the player, not a picture
    if (!video_) {
        VideoStreamInfo info;
        info.codec = codec;
        info.smoothing = true;
        video_ = std::make_shared<VideoCharacter>(0, info);
    }
    if (codec != video_->info().codec)
        return; // a stream does not change codec halfway; such packets cannot be decoded
    QByteArray packet = body.mid(1);
    if (codec == videocodec::Vp6 || codec == videocodec::Vp6Alpha) {
        // FLV puts a byte of crop before what a movie's VideoFrame holds.
        if (packet.isEmpty())
            return;
        packet.remove(0, 1);
    }
    if (codec == videocodec::H264 && !packet.isEmpty() && packet[0] == 0) {
        if (packet.size() > 4)
            video_->frames().setDecoderConfig(packet.mid(4));
        return;
    }
    if (codec == videocodec::H264 && (packet.isEmpty() || packet[0] != 1))
        return; // end of sequence
    // Frame numbers are 16-bit in a movie's streams; a longer file keeps its first 65,536.
    if (videoTimes_.size() > 0xffff)
        return;
    const bool key = frameType == 1 || frameType == 4;
    // Tags come in decoding order, their times only going forward; an H.264 picture shows
    // its composition offset later, which puts reordered pictures back in showing order.
    time = std::max(time, lastDecodeTime_);
    lastDecodeTime_ = time;
    uint32_t shows = time;
    if (codec == videocodec::H264 && packet.size() >= 4) {
        int32_t offset = static_cast<int32_t>(be(packet, 1, 3));
        if (offset & 0x800000)
            offset -= 0x1000000;
        shows = static_cast<uint32_t>(std::max<int64_t>(0, int64_t(time) + offset));
    }
    const int number = static_cast<int>(videoTimes_.size());
    video_->frames().add(static_cast<uint16_t>(number), VideoFrameData{std::move(packet), key});
    videoTimes_.push_back(shows);
    const auto at =
        std::upper_bound(showing_.begin(), showing_.end(), std::make_pair(shows, number));
    showing_.insert(at, std::make_pair(shows, number));
}

void FlvFile::addSound(uint32_t time, const QByteArray& body) {
    if (body.isEmpty())
        return;
    const uint8_t head = static_cast<uint8_t>(body[0]);
    const SoundFormatInfo format = SoundFormatInfo::fromBits(head >> 4, head & 0x0f);
    if (!soundFormat_)
        soundFormat_ = format;
    if (format.format != soundFormat_->format)
        return;
    QByteArray packet = body.mid(1);
    if (format.format == soundformat::Aac) {
        if (packet.isEmpty())
            return;
        const bool config = packet[0] == 0;
        packet.remove(0, 1);
        if (config) {
            if (aacConfig_.isEmpty())
                aacConfig_ = packet;
            return;
        }
    }
    if (!packet.isEmpty())
        sound_.push_back({time, std::move(packet)});
}

std::optional<int> FlvFile::videoFrameAt(uint32_t timeMs) const {
    const auto it = std::upper_bound(showing_.begin(), showing_.end(),
                                     std::make_pair(timeMs, std::numeric_limits<int>::max()));
    if (it == showing_.begin())
        return std::nullopt;
    return std::prev(it)->second;
}

std::optional<uint32_t> FlvFile::seekTime(uint32_t timeMs) const {
    const auto frame = videoFrameAt(timeMs);
    if (!frame || !video_)
        return std::nullopt;
    const auto key = video_->frames().keyAtOrBefore(*frame);
    return videoTimes_[static_cast<std::size_t>(key ? *key : 0)];
}

} // namespace swf::media

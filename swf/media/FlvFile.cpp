#include "swf/media/FlvFile.h"

#include "swf/media/Spool.h"

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
constexpr uint8_t kScriptTag = 18;

} // namespace

FlvFile::FlvFile(std::shared_ptr<const Spool> spool) : spool_(std::move(spool)) {}

Result<FlvFile> FlvFile::parse(const QByteArray& bytes) {
    FlvFile file(Spool::ofBytes(bytes));
    if (auto scanned = file.scan(); !scanned)
        return scanned.error();
    if (!file.headerRead())
        return Error{QStringLiteral("Not an FLV file.")};
    return file;
}

Result<void> FlvFile::scan() {
    const qint64 have = spool_->size();
    if (!headerRead_) {
        if (have < 9)
            return {};
        const QByteArray head = spool_->read(0, 9);
        if (head.size() < 9 || !head.startsWith("FLV") || head[3] != 1)
            return Error{QStringLiteral("Not an FLV file.")};
        const uint32_t headerSize = be(head, 5, 4);
        if (headerSize < 9)
            return Error{QStringLiteral("Broken FLV header.")};
        headerRead_ = true;
        // The header, then the size of the (absent) tag before the first.
        pos_ = static_cast<qint64>(headerSize) + 4;
    }
    while (!damaged_) {
        complete_ = pos_ == have;
        if (pos_ + 11 > have)
            break; // the next tag has not arrived yet (or the file was cut)
        const QByteArray head = spool_->read(pos_, 11);
        if (head.size() < 11)
            break;
        const uint8_t type = static_cast<uint8_t>(head[0]) & 0x1f;
        if ((static_cast<uint8_t>(head[0]) & 0xc0) != 0 ||
            (type != kAudioTag && type != kVideoTag && type != kScriptTag)) {
            damaged_ = true;
            break;
        }
        const uint32_t size = be(head, 1, 3);
        const uint32_t time =
            be(head, 4, 3) | (static_cast<uint32_t>(static_cast<uint8_t>(head[7])) << 24);
        // Sizes are checked against what is there; nothing is reserved from them.
        if (static_cast<qint64>(size) + 15 > have - pos_)
            break;
        const bool encrypted = static_cast<uint8_t>(head[0]) & 0x20;
        if (!encrypted && size > 0) {
            if (type == kVideoTag)
                addVideo(time, pos_ + 11, size);
            else if (type == kAudioTag)
                addSound(time, pos_ + 11, size);
            else if (type == kScriptTag)
                addScript(time, pos_ + 11, size);
        }
        duration_ = std::max(duration_, time);
        pos_ += 11 + static_cast<qint64>(size) + 4;
    }
    return {};
}

void FlvFile::addVideo(uint32_t time, qint64 at, qint64 size) {
    // The head byte, VP6's crop byte or H.264's packet type and composition time.
    const QByteArray head = spool_->read(at, std::min<qint64>(size, 5));
    if (head.isEmpty())
        return;
    const uint8_t first = static_cast<uint8_t>(head[0]);
    const int frameType = first >> 4;
    const uint8_t codec = first & 0x0f;
    if (frameType == 5)
        return; // a command to the player, not a picture
    if (!video_)
        video_ = std::make_shared<FlvVideo>(spool_, codec);
    if (codec != video_->codec())
        return; // a stream does not change codec halfway; such packets cannot be decoded
    qint64 from = at + 1;
    if (codec == videocodec::Vp6 || codec == videocodec::Vp6Alpha) {
        // FLV puts a byte of crop before what a movie's VideoFrame holds.
        if (size < 2)
            return;
        ++from;
    }
    const qint64 length = at + size - from;
    if (codec == videocodec::H264) {
        if (length < 1)
            return;
        if (head[1] == 0) {
            if (length > 4)
                video_->setDecoderConfig(spool_->read(from + 4, length - 4));
            return;
        }
        if (head[1] != 1)
            return; // end of sequence
    }
    if (videoTimes_.size() >= kMaxVideoFrames)
        return;
    const bool key = frameType == 1 || frameType == 4;
    // Tags come in decoding order, their times only going forward; an H.264 picture shows
    // its composition offset later, which puts reordered pictures back in showing order.
    time = std::max(time, lastDecodeTime_);
    lastDecodeTime_ = time;
    uint32_t shows = time;
    if (codec == videocodec::H264 && head.size() >= 5) {
        int32_t offset = static_cast<int32_t>(be(head, 2, 3));
        if (offset & 0x800000)
            offset -= 0x1000000;
        shows = static_cast<uint32_t>(std::max<int64_t>(0, int64_t(time) + offset));
    }
    const int number = static_cast<int>(videoTimes_.size());
    video_->add(from, length, key);
    videoTimes_.push_back(shows);
    const auto pos =
        std::upper_bound(showing_.begin(), showing_.end(), std::make_pair(shows, number));
    showing_.insert(pos, std::make_pair(shows, number));
}

void FlvFile::addSound(uint32_t time, qint64 at, qint64 size) {
    const QByteArray head = spool_->read(at, std::min<qint64>(size, 2));
    if (head.isEmpty())
        return;
    const uint8_t first = static_cast<uint8_t>(head[0]);
    const SoundFormatInfo format = SoundFormatInfo::fromBits(first >> 4, first & 0x0f);
    if (!soundFormat_)
        soundFormat_ = format;
    if (format.format != soundFormat_->format)
        return;
    qint64 from = at + 1;
    if (format.format == soundformat::Aac) {
        if (head.size() < 2)
            return;
        ++from;
        if (head[1] == 0) {
            if (aacConfig_.isEmpty())
                aacConfig_ = spool_->read(from, at + size - from);
            return;
        }
    }
    if (from < at + size && sound_.size() < kMaxSoundPackets)
        sound_.push_back({time, from, at + size - from});
}

void FlvFile::addScript(uint32_t time, qint64 at, qint64 size) {
    if (scripts_.size() >= kMaxScriptTags || size > kMaxScriptBytes - scriptBytes_)
        return;
    scriptBytes_ += size;
    if (auto tag = FlvScriptData::readTag(spool_->read(at, size))) {
        tag.value().timeMs = time;
        scripts_.push_back(std::move(tag.value()));
    }
}

QByteArray FlvFile::soundData(std::size_t i) const {
    if (i >= sound_.size())
        return {};
    const FlvSoundPacket& p = sound_[i];
    QByteArray data = spool_->read(p.offset, p.size);
    return data.size() == p.size ? data : QByteArray();
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
    const auto key = video_->keyAtOrBefore(*frame);
    return videoTimes_[static_cast<std::size_t>(key ? *key : 0)];
}

} // namespace swf::media

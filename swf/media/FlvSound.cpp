#include "swf/media/FlvSound.h"

#include "swf/media/FlvFile.h"
#include "swf/media/SoundDecoder.h"

#include <algorithm>

namespace swf::media {

namespace {

// FLV keeps AAC as raw frames with the decoder's configuration apart; the decoder we share
// with DefineSound reads ADTS, so each frame gets the seven-byte ADTS header the
// configuration describes.
Result<QByteArray> toAdts(const FlvFile& file, std::size_t first, std::size_t end) {
    const QByteArray& config = file.aacConfig();
    if (config.size() < 2)
        return Error{QStringLiteral("The FLV's AAC sound has no configuration.")};
    const auto c0 = static_cast<uint8_t>(config[0]);
    const auto c1 = static_cast<uint8_t>(config[1]);
    const int objectType = c0 >> 3;
    const int rateIndex = ((c0 & 7) << 1) | (c1 >> 7);
    const int channels = (c1 >> 3) & 0x0f;
    if (objectType < 1 || objectType > 4 || rateIndex > 12)
        return Error{QStringLiteral("The FLV's AAC configuration is not one ADTS can carry.")};
    QByteArray out;
    for (std::size_t i = first; i < end; ++i) {
        const QByteArray data = file.soundData(i);
        const int length = static_cast<int>(data.size()) + 7;
        if (length > 0x1fff)
            continue; // no real AAC frame is this long
        const uint8_t header[7] = {
            0xff,
            0xf1, // MPEG-4, no CRC
            static_cast<uint8_t>(((objectType - 1) << 6) | (rateIndex << 2) | (channels >> 2)),
            static_cast<uint8_t>(((channels & 3) << 6) | (length >> 11)),
            static_cast<uint8_t>((length >> 3) & 0xff),
            static_cast<uint8_t>(((length & 7) << 5) | 0x1f),
            0xfc,
        };
        out.append(reinterpret_cast<const char*>(header), 7);
        out.append(data);
    }
    return out;
}

} // namespace

Result<FlvSound> decodeFlvSound(const FlvFile& file, uint64_t maxBytes, std::size_t first,
                                std::size_t end) {
    end = std::min(end, file.sound().size());
    if (!file.soundFormat() || first >= end)
        return Error{QStringLiteral("The FLV has no sound.")};
    const SoundFormatInfo& format = *file.soundFormat();
    if (!SoundDecoder::canDecode(format.format))
        return Error{
            QStringLiteral("No decoder for the FLV's sound format %1.").arg(format.format)};
    FlvSound out;
    out.startMs = file.sound()[first].timeMs;
    if (format.format == soundformat::Adpcm) {
        // Every ADPCM packet starts its own blocks with their own header: decoded one by one.
        auto sound = std::make_shared<DecodedSound>();
        sound->rate = format.rate;
        sound->channels = format.channels();
        for (std::size_t i = first; i < end; ++i) {
            const uint64_t used = sound->bytes();
            if (used >= maxBytes)
                return Error{
                    QStringLiteral("The FLV's sound decodes to more than the player keeps.")};
            auto part = SoundDecoder::decode(format, file.soundData(i), maxBytes - used);
            if (!part)
                return part.error();
            const auto& samples = part.value()->samples;
            sound->samples.insert(sound->samples.end(), samples.begin(), samples.end());
        }
        out.sound = std::move(sound);
        return out;
    }
    QByteArray data;
    if (format.format == soundformat::Aac) {
        auto adts = toAdts(file, first, end);
        if (!adts)
            return adts.error();
        data = std::move(adts.value());
    } else {
        // MP3 as DefineSound holds it opens with the samples to skip; an FLV skips none.
        if (format.format == soundformat::Mp3)
            data = QByteArray(2, '\0');
        for (std::size_t i = first; i < end; ++i)
            data.append(file.soundData(i));
    }
    auto decoded = SoundDecoder::decode(format, data, maxBytes);
    if (!decoded)
        return decoded.error();
    out.sound = std::move(decoded.value());
    return out;
}

} // namespace swf::media

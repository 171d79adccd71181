#include "swf/format/Sound.h"

namespace swf {

namespace {

Error broken(const char* what) {
    return Error{QStringLiteral("Broken %1 tag.").arg(QLatin1String(what))};
}

constexpr int kRates[4] = {5512, 11025, 22050, 44100};

} // namespace

SoundFormatInfo SoundFormatInfo::fromBits(uint8_t format, uint8_t lowNibble) {
    SoundFormatInfo f;
    f.format = format;
    f.rate = kRates[(lowNibble >> 2) & 3];
    f.sixteenBit = lowNibble & 0x02;
    f.stereo = lowNibble & 0x01;
    // Nellymoser's narrow-band variants carry their own rate whatever the bits say.
    if (format == soundformat::Nellymoser16k)
        f.rate = 16000;
    else if (format == soundformat::Nellymoser8k)
        f.rate = 8000;
    else if (format == soundformat::Speex)
        f.rate = 16000;
    return f;
}

Result<std::shared_ptr<SoundCharacter>> parseDefineSound(Reader& r) {
    const uint16_t id = r.u16();
    const uint8_t bits = r.u8();
    const uint32_t samples = r.u32();
    if (r.failed())
        return broken("DefineSound");
    const SoundFormatInfo format = SoundFormatInfo::fromBits(bits >> 4, bits & 0x0f);
    // The data is the rest of the tag, already in memory: copying it costs no more than the
    // file itself.
    QByteArray data = r.bytes(r.remaining());
    return std::make_shared<SoundCharacter>(id, format, samples, std::move(data));
}

Result<SoundInfo> readSoundInfo(Reader& r) {
    SoundInfo info;
    const uint8_t flags = r.u8();
    info.stop = flags & 0x20;
    info.noMultiple = flags & 0x10;
    if (flags & 0x01)
        info.inPoint = r.u32();
    if (flags & 0x02)
        info.outPoint = r.u32();
    if (flags & 0x04) {
        const uint16_t loops = r.u16();
        info.loops = loops == 0 ? 1 : loops;
    }
    if (flags & 0x08) {
        const int count = r.u8();
        // Checked against what the tag holds before anything is reserved.
        if (r.failed() || r.remaining() < static_cast<std::size_t>(count) * 8)
            return broken("sound info");
        auto points = std::make_shared<std::vector<SoundEnvelopePoint>>();
        points->reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            SoundEnvelopePoint p;
            p.pos44 = r.u32();
            p.left = r.u16();
            p.right = r.u16();
            points->push_back(p);
        }
        if (!points->empty())
            info.envelope = std::move(points);
    }
    if (r.failed())
        return broken("sound info");
    return info;
}

Result<StartSoundCommand> parseStartSound(uint16_t code, Reader& r) {
    StartSoundCommand cmd;
    if (code == 89) {
        cmd.className = r.string();
    } else {
        cmd.soundId = r.u16();
    }
    if (r.failed())
        return broken(code == 89 ? "StartSound2" : "StartSound");
    auto info = readSoundInfo(r);
    if (!info)
        return info.error();
    cmd.info = std::move(info.value());
    return cmd;
}

Result<SoundStreamHead> parseSoundStreamHead(Reader& r) {
    const uint8_t playback = r.u8();
    const uint8_t stream = r.u8();
    SoundStreamHead head;
    head.samplesPerBlock = r.u16();
    if (r.failed())
        return broken("SoundStreamHead");
    head.playback = SoundFormatInfo::fromBits(soundformat::PcmLittle, playback & 0x0f);
    head.stream = SoundFormatInfo::fromBits(stream >> 4, stream & 0x0f);
    if (head.stream.format == soundformat::Mp3 && r.remaining() >= 2)
        head.latencySeek = r.s16();
    return head;
}

Result<ButtonSounds> parseDefineButtonSound(Reader& r) {
    ButtonSounds out;
    out.buttonId = r.u16();
    for (auto& slot : out.sounds) {
        const uint16_t sound = r.u16();
        if (r.failed())
            return broken("DefineButtonSound");
        if (sound == 0)
            continue;
        auto info = readSoundInfo(r);
        if (!info)
            return info.error();
        StartSoundCommand cmd;
        cmd.soundId = sound;
        cmd.info = std::move(info.value());
        slot = std::move(cmd);
    }
    return out;
}

} // namespace swf

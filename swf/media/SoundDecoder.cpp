#include "swf/media/SoundDecoder.h"

#include "swf/media/AdpcmDecoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace swf::media {

namespace {

Error tooLong() {
    return Error{QStringLiteral("The sound decodes to more than the player keeps.")};
}

AVCodecID codecOf(uint8_t format) {
    switch (format) {
    case soundformat::Mp3:
        return AV_CODEC_ID_MP3;
    case soundformat::Nellymoser16k:
    case soundformat::Nellymoser8k:
    case soundformat::Nellymoser:
        return AV_CODEC_ID_NELLYMOSER;
    case soundformat::Speex:
        return AV_CODEC_ID_SPEEX;
    case soundformat::Aac:
        return AV_CODEC_ID_AAC;
    default:
        return AV_CODEC_ID_NONE;
    }
}

// One libavcodec decoder, fed packet by packet, converting whatever it gives to 16-bit
// interleaved samples with libswresample.
class CodecStream {
public:
    CodecStream() = default;
    CodecStream(const CodecStream&) = delete;
    CodecStream& operator=(const CodecStream&) = delete;
    ~CodecStream() {
        swr_free(&swr_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        av_parser_close(parser_);
        avcodec_free_context(&ctx_);
    }

    Result<void> open(const SoundFormatInfo& f) {
        const AVCodec* codec = avcodec_find_decoder(codecOf(f.format));
        if (!codec)
            return Error{QStringLiteral("No decoder for sound format %1.").arg(f.format)};
        ctx_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!ctx_ || !frame_ || !packet_)
            return Error{QStringLiteral("Out of memory for a sound decoder.")};
        ctx_->sample_rate = f.rate;
        av_channel_layout_default(&ctx_->ch_layout, f.channels());
        if (avcodec_open2(ctx_, codec, nullptr) < 0)
            return Error{QStringLiteral("The sound decoder would not open.")};
        // MP3 and ADTS AAC arrive as a byte stream whose frames the parser finds.
        if (f.format == soundformat::Mp3 || f.format == soundformat::Aac)
            parser_ = av_parser_init(ctx_->codec_id);
        chunk_ = f.format == soundformat::Nellymoser16k || f.format == soundformat::Nellymoser8k ||
                         f.format == soundformat::Nellymoser
                     ? 64 * 16 // whole 64-byte blocks
                     : 0;
        return {};
    }

    // Feeds bytes; decoded samples are appended to out.
    Result<void> feed(const uint8_t* data, std::size_t size) {
        if (parser_) {
            while (size > 0) {
                uint8_t* pkt = nullptr;
                int pktSize = 0;
                const int used =
                    av_parser_parse2(parser_, ctx_, &pkt, &pktSize, data,
                                     static_cast<int>(std::min<std::size_t>(size, 1 << 20)),
                                     AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
                if (used < 0)
                    return {};
                data += used;
                size -= static_cast<std::size_t>(used);
                if (pktSize > 0)
                    SWF_TRY(send(pkt, pktSize));
                if (used == 0 && pktSize == 0)
                    break;
            }
            return {};
        }
        const std::size_t step = chunk_ ? chunk_ : size;
        while (size > 0) {
            const std::size_t n = std::min(step, size);
            SWF_TRY(send(data, static_cast<int>(n)));
            data += n;
            size -= n;
        }
        return {};
    }

    Result<void> finish() {
        if (parser_) {
            uint8_t* pkt = nullptr;
            int pktSize = 0;
            av_parser_parse2(parser_, ctx_, &pkt, &pktSize, nullptr, 0, AV_NOPTS_VALUE,
                             AV_NOPTS_VALUE, 0);
            if (pktSize > 0)
                SWF_TRY(send(pkt, pktSize));
        }
        avcodec_send_packet(ctx_, nullptr);
        return drain();
    }

    std::size_t maxSamples = 0;
    std::vector<int16_t> out;
    int rate = 0;
    int channels = 0;

private:
    Result<void> send(const uint8_t* data, int size) {
        av_packet_unref(packet_);
        if (av_new_packet(packet_, size) < 0)
            return Error{QStringLiteral("Out of memory for a sound packet.")};
        std::memcpy(packet_->data, data, static_cast<std::size_t>(size));
        // A damaged packet is skipped, as a player skips a glitch.
        if (avcodec_send_packet(ctx_, packet_) < 0)
            return {};
        return drain();
    }

    Result<void> drain() {
        while (avcodec_receive_frame(ctx_, frame_) >= 0) {
            auto r = convert();
            av_frame_unref(frame_);
            if (!r)
                return r;
        }
        return {};
    }

    Result<void> convert() {
        const int inChannels = frame_->ch_layout.nb_channels;
        if (inChannels < 1 || frame_->sample_rate <= 0 || frame_->nb_samples <= 0)
            return {};
        if (!channels) {
            channels = std::min(inChannels, 2);
            rate = frame_->sample_rate;
        }
        if (!swr_) {
            AVChannelLayout outLayout;
            av_channel_layout_default(&outLayout, channels);
            if (swr_alloc_set_opts2(&swr_, &outLayout, AV_SAMPLE_FMT_S16, rate, &frame_->ch_layout,
                                    static_cast<AVSampleFormat>(frame_->format),
                                    frame_->sample_rate, 0, nullptr) < 0 ||
                swr_init(swr_) < 0)
                return Error{QStringLiteral("The sound could not be converted.")};
        }
        const int room = swr_get_out_samples(swr_, frame_->nb_samples);
        if (room <= 0)
            return {};
        const std::size_t need = static_cast<std::size_t>(room) * channels;
        if (out.size() + need > maxSamples)
            return tooLong();
        const std::size_t at = out.size();
        out.resize(at + need);
        uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + at);
        const int got =
            swr_convert(swr_, &dst, room, const_cast<const uint8_t**>(frame_->extended_data),
                        frame_->nb_samples);
        out.resize(at + static_cast<std::size_t>(std::max(got, 0)) * channels);
        return {};
    }

    AVCodecContext* ctx_ = nullptr;
    AVCodecParserContext* parser_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwrContext* swr_ = nullptr;
    std::size_t chunk_ = 0;
};

void decodePcm(const SoundFormatInfo& f, const uint8_t* data, std::size_t size,
               std::vector<int16_t>& out) {
    if (f.sixteenBit) {
        for (std::size_t i = 0; i + 1 < size; i += 2)
            out.push_back(static_cast<int16_t>(data[i] | (data[i + 1] << 8)));
    } else {
        // Eight-bit samples are unsigned around 128.
        for (std::size_t i = 0; i < size; ++i)
            out.push_back(static_cast<int16_t>((data[i] - 128) << 8));
    }
}

bool isPcm(uint8_t format) {
    return format == soundformat::PcmNative || format == soundformat::PcmLittle;
}

std::size_t sampleLimit(uint64_t maxBytes) {
    return static_cast<std::size_t>(maxBytes / sizeof(int16_t));
}

} // namespace

int DecodedStream::frameAt(uint64_t position) const {
    if (frameStart.size() < 2)
        return 0;
    const auto it = std::upper_bound(frameStart.begin(), frameStart.end() - 1, position);
    return static_cast<int>(std::max<std::ptrdiff_t>(0, (it - frameStart.begin()) - 1));
}

bool SoundDecoder::canDecode(uint8_t format) {
    if (isPcm(format) || format == soundformat::Adpcm)
        return true;
    const AVCodecID id = codecOf(format);
    return id != AV_CODEC_ID_NONE && avcodec_find_decoder(id);
}

Result<std::shared_ptr<const DecodedSound>> SoundDecoder::decode(const SoundFormatInfo& format,
                                                                 const QByteArray& bytes,
                                                                 uint64_t maxBytes,
                                                                 uint32_t declaredFrames) {
    auto sound = std::make_shared<DecodedSound>();
    sound->rate = format.rate;
    sound->channels = format.channels();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    std::size_t size = static_cast<std::size_t>(bytes.size());
    const std::size_t limit = sampleLimit(maxBytes);
    if (isPcm(format.format)) {
        // PCM needs no more room than its bytes, checked before anything is reserved.
        const std::size_t samples = format.sixteenBit ? size / 2 : size;
        if (samples > limit)
            return tooLong();
        sound->samples.reserve(samples);
        decodePcm(format, data, size, sound->samples);
    } else if (format.format == soundformat::Adpcm) {
        SWF_TRY(AdpcmDecoder::decode(data, size, sound->channels, limit, sound->samples));
    } else {
        CodecStream codec;
        SWF_TRY(codec.open(format));
        codec.maxSamples = limit;
        int seek = 0;
        if (format.format == soundformat::Mp3) {
            // DefineSound's MP3 data opens with the samples to skip at the start: the
            // encoder's delay, which the author does not want heard.
            if (size < 2)
                return std::shared_ptr<const DecodedSound>(std::move(sound));
            seek = static_cast<int16_t>(data[0] | (data[1] << 8));
            data += 2;
            size -= 2;
        }
        SWF_TRY(codec.feed(data, size));
        SWF_TRY(codec.finish());
        if (codec.channels) {
            sound->rate = codec.rate;
            sound->channels = codec.channels;
        }
        sound->samples = std::move(codec.out);
        const std::size_t ch = static_cast<std::size_t>(sound->channels);
        const std::size_t skip =
            std::min(static_cast<std::size_t>(std::max(seek, 0)) * ch, sound->samples.size());
        sound->samples.erase(sound->samples.begin(),
                             sound->samples.begin() + static_cast<std::ptrdiff_t>(skip));
        if (declaredFrames > 0 && sound->samples.size() > declaredFrames * ch)
            sound->samples.resize(declaredFrames * ch);
    }
    sound->samples.resize(sound->frames() * static_cast<std::size_t>(sound->channels));
    return std::shared_ptr<const DecodedSound>(std::move(sound));
}

Result<std::shared_ptr<const DecodedStream>>
SoundDecoder::decodeStream(const SoundStreamHead& head, const std::vector<QByteArray>& blocks,
                           uint64_t maxBytes) {
    const SoundFormatInfo& f = head.stream;
    auto stream = std::make_shared<DecodedStream>();
    auto sound = std::make_shared<DecodedSound>();
    sound->rate = f.rate;
    sound->channels = f.channels();
    const std::size_t limit = sampleLimit(maxBytes);
    stream->frameStart.reserve(blocks.size() + 1);
    stream->hasBlock.reserve(blocks.size());
    std::vector<int16_t>& out = sound->samples;
    std::unique_ptr<CodecStream> codec;
    if (!isPcm(f.format) && f.format != soundformat::Adpcm) {
        codec = std::make_unique<CodecStream>();
        SWF_TRY(codec->open(f));
        codec->maxSamples = limit;
    }
    uint64_t declared = 0; // MP3 blocks say how many samples they hold
    for (const QByteArray& block : blocks) {
        const auto* data = reinterpret_cast<const uint8_t*>(block.constData());
        std::size_t size = static_cast<std::size_t>(block.size());
        if (f.format == soundformat::Mp3) {
            stream->frameStart.push_back(declared);
            stream->hasBlock.push_back(size >= 4);
            if (size < 4)
                continue;
            declared += static_cast<uint16_t>(data[0] | (data[1] << 8));
            SWF_TRY(codec->feed(data + 4, size - 4));
            continue;
        }
        stream->frameStart.push_back(
            codec ? codec->out.size() / static_cast<std::size_t>(std::max(codec->channels, 1))
                  : out.size() / static_cast<std::size_t>(sound->channels));
        stream->hasBlock.push_back(size > 0);
        if (isPcm(f.format)) {
            const std::size_t samples = f.sixteenBit ? size / 2 : size;
            if (out.size() + samples > limit)
                return tooLong();
            decodePcm(f, data, size, out);
        } else if (f.format == soundformat::Adpcm) {
            SWF_TRY(AdpcmDecoder::decode(data, size, sound->channels, limit, out));
        } else {
            SWF_TRY(codec->feed(data, size));
        }
    }
    if (codec) {
        SWF_TRY(codec->finish());
        if (codec->channels) {
            sound->rate = codec->rate;
            sound->channels = codec->channels;
        }
        out = std::move(codec->out);
    }
    out.resize(sound->frames() * static_cast<std::size_t>(sound->channels));
    stream->frameStart.push_back(f.format == soundformat::Mp3 ? declared : sound->frames());
    // Offsets past what decoded (a declared count too large) are clamped to the end.
    for (uint64_t& s : stream->frameStart)
        s = std::min<uint64_t>(s, sound->frames());
    stream->sound = std::move(sound);
    return std::shared_ptr<const DecodedStream>(std::move(stream));
}

} // namespace swf::media

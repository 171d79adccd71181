#pragma once

// Turns the data of a DefineSound or of a timeline's stream blocks into samples. Uncompressed
// PCM and ADPCM are read here; MP3, Nellymoser, Speex and AAC go through libavcodec. Output
// is capped: a decoder stops with an error before it holds more than maxBytes of samples.

#include "swf/format/Result.h"
#include "swf/format/Sound.h"
#include "swf/media/DecodedSound.h"

#include <QByteArray>
#include <memory>
#include <vector>

namespace swf::media {

// A timeline's stream, decoded as one sound: frameStart[f] is the sample frame at which the
// data of timeline frame f begins (one entry more than there are frames), hasBlock[f] says
// whether frame f carried a block at all.
struct DecodedStream {
    std::shared_ptr<const DecodedSound> sound;
    std::vector<uint64_t> frameStart;
    std::vector<bool> hasBlock;

    // The timeline frame whose data holds sample frame position.
    int frameAt(uint64_t position) const;
};

class SoundDecoder {
public:
    // declaredFrames is the tag's sample count (0 when unknown): compressed sounds are cut
    // to it, so the encoder's padding at the end is not heard.
    static Result<std::shared_ptr<const DecodedSound>> decode(const SoundFormatInfo& format,
                                                              const QByteArray& data,
                                                              uint64_t maxBytes,
                                                              uint32_t declaredFrames = 0);
    // blocks[f] is the SoundStreamBlock of frame f (empty for none).
    static Result<std::shared_ptr<const DecodedStream>>
    decodeStream(const SoundStreamHead& head, const std::vector<QByteArray>& blocks,
                 uint64_t maxBytes);
    // Whether this libavcodec can decode the format (PCM and ADPCM always can).
    static bool canDecode(uint8_t format);
};

} // namespace swf::media

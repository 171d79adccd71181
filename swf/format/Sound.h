#pragma once

// The sound tags: DefineSound (a sound in the dictionary), StartSound and StartSound2 (play a
// sound when a frame is entered, with a sound info record), SoundStreamHead/2 and
// SoundStreamBlock (a timeline's stream, one block of data per frame) and DefineButtonSound.
// Everything here is the file's description only; decoding and playing are the media's.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

namespace soundformat {
enum : uint8_t {
    PcmNative = 0, // little-endian on every machine Flash movies were made on
    Adpcm = 1,
    Mp3 = 2,
    PcmLittle = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Aac = 10,
    Speex = 11,
};
}

struct SoundFormatInfo {
    uint8_t format = soundformat::PcmLittle;
    int rate = 44100; // 5512, 11025, 22050 or 44100 as the two-bit code says
    bool sixteenBit = true;
    bool stereo = false;

    int channels() const { return stereo ? 2 : 1; }
    // The four bits the tags share: rate code, size and type.
    static SoundFormatInfo fromBits(uint8_t format, uint8_t lowNibble);
};

class SoundCharacter final : public Character {
public:
    SoundCharacter(uint16_t id, SoundFormatInfo format, uint32_t sampleCount, QByteArray data)
        : Character(id, Kind::Sound), format_(format), sampleCount_(sampleCount),
          data_(std::move(data)) {}
    const SoundFormatInfo& format() const { return format_; }
    // Samples per channel as the tag declares them; decoders never trust it for sizes.
    uint32_t sampleCount() const { return sampleCount_; }
    const QByteArray& data() const { return data_; }

private:
    SoundFormatInfo format_;
    uint32_t sampleCount_;
    QByteArray data_;
};

// A point of a sound's volume envelope: at pos44 (samples at 44,100 Hz from the sound's
// start) the left and right levels are left/32768 and right/32768.
struct SoundEnvelopePoint {
    uint32_t pos44 = 0;
    uint16_t left = 32768;
    uint16_t right = 32768;
};

struct SoundInfo {
    bool stop = false;                // stops the sound's playing instances instead of starting one
    bool noMultiple = false;          // not started again while an instance plays
    std::optional<uint32_t> inPoint;  // samples at 44,100 Hz
    std::optional<uint32_t> outPoint; // likewise
    uint16_t loops = 1;               // times the sound plays; the file's 0 also means once
    // Shared because a timeline starts the same sound every time it loops.
    std::shared_ptr<const std::vector<SoundEnvelopePoint>> envelope;
};

struct StartSoundCommand {
    uint16_t soundId = 0;
    QByteArray className; // StartSound2 names the sound by its class instead
    SoundInfo info;
};

struct SoundStreamHead {
    SoundFormatInfo playback; // what the author asked the player to mix at
    SoundFormatInfo stream;   // what the blocks hold
    uint16_t samplesPerBlock = 0;
    int16_t latencySeek = 0; // MP3 only
};

// DefineButtonSound: what a button plays on each transition (idle from over, over from idle,
// down, up from down); a sound id of 0 means none.
struct ButtonSounds {
    uint16_t buttonId = 0;
    std::array<std::optional<StartSoundCommand>, 4> sounds;
};

// Limits of the sound info record that no movie exceeds in practice.
inline constexpr int kMaxEnvelopePoints = 255; // the count is one byte

Result<std::shared_ptr<SoundCharacter>> parseDefineSound(Reader& r);
Result<SoundInfo> readSoundInfo(Reader& r);
// code is StartSound (15) or StartSound2 (89).
Result<StartSoundCommand> parseStartSound(uint16_t code, Reader& r);
Result<SoundStreamHead> parseSoundStreamHead(Reader& r);
Result<ButtonSounds> parseDefineButtonSound(Reader& r);

} // namespace swf

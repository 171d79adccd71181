#pragma once

// One FLV as a NetStream plays it: the bytes as they arrive (read through an index, so a file
// of any length plays while it downloads), a clock in milliseconds that play, pause, seek
// and close move, the buffer that holds the clock until bufferTime seconds lie ahead of it,
// the status messages Flash sends on the way (in Flash's order), the file's script data when
// the clock reaches it, the picture on show and the file's sound in the mixer. While the sound
// plays to a live device its position is the clock, so the picture follows what is heard. Engine
// thread, except the picture, which the drawing thread may ask for.

#include "swf/display/Video.h"
#include "swf/media/FlvFile.h"
#include "swf/media/FlvScriptData.h"
#include "swf/media/Mixer.h"
#include "swf/media/Spool.h"

#include <QImage>
#include <QSize>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

namespace swf {
class VideoHost;
class VideoPictures;
} // namespace swf

namespace swf::media {

class SoundEngine;

class FlvPlayback final : public AttachedVideo {
public:
    struct Status {
        QString code;
        QString level; // "status" or "error"
        // Seek.InvalidTime: the latest time a seek can reach now, in seconds.
        std::optional<double> details;
    };
    using Event = std::variant<Status, FlvScriptTag>;

    // Decoded sound an FLV may hold at once; beyond it the stream plays silent.
    static constexpr uint64_t kMaxSoundBytes = 256ull << 20;
    // The sound is decoded this much at a time, so a long file never holds all of it.
    static constexpr uint32_t kSoundPieceMs = 120'000;
    // Largest picture an FLV may decode to (it declares no size of its own).
    static constexpr uint64_t kMaxPicturePixels = 3840ull * 2160ull;

    FlvPlayback();
    ~FlvPlayback() override;
    FlvPlayback(const FlvPlayback&) = delete;
    FlvPlayback& operator=(const FlvPlayback&) = delete;

    // Where the sound is heard; asked for afresh by the owner before each call, since the
    // movie's sound engine may be replaced (null: silent). Voices already started stop through
    // their mixer, which outlives every engine.
    void setSoundEngine(SoundEngine* sound) { soundEngine_ = sound; }
    // The clip the sound is attached to (MovieClip.attachAudio): a Sound object aimed at it
    // sets its volume. Only compared, never followed; null for the whole movie.
    void setAudioOwner(const void* owner) { audioOwner_ = owner; }
    // receiveAudio(false) mutes the stream; its clock goes on.
    void setReceiveAudio(bool receive) { receiveAudio_ = receive; }

    // A new play: everything of the last file is forgotten. The bytes come into spool, and
    // arrived() is told each time more did.
    void play(double nowMs, std::shared_ptr<const Spool> spool);
    // More of the file is in the spool; total is the size the server announced (-1 when not
    // known), complete when no more comes. Not an FLV: the stream is not found. video opens
    // the pictures' decoder. Ignored unless a play waits for bytes or plays.
    void arrived(qint64 total, bool complete, double nowMs, VideoHost* video);
    // play() and arrived() with the whole of bytes at once.
    void play(double nowMs);
    void setData(const QByteArray& bytes, bool complete, double nowMs, VideoHost* video);
    // The load failed before any byte came.
    void notFound();
    // Stops: no picture, no sound, no more messages.
    void close();
    // Toggles when pause is empty.
    void pause(std::optional<bool> pause, double nowMs);
    // Lands on the key frame at or before seconds. Past what has arrived: Seek.InvalidTime.
    void seek(double seconds, double nowMs);
    void setBufferTime(double seconds);
    double bufferTime() const { return bufferTime_; }

    // Moves the clock to nowMs and queues what happened on the way.
    void advance(double nowMs);
    std::deque<Event> takeEvents();

    double timeMs() const { return time_; }
    double bufferLengthSeconds() const;
    double bytesLoaded() const { return static_cast<double>(bytesLoaded_); }
    double bytesTotal() const { return static_cast<double>(bytesTotal_); }
    bool playing() const { return state_ == State::Playing && !paused_ && !buffering_; }
    bool paused() const { return paused_; }
    // Filling the buffer before the clock may go on.
    bool buffering() const { return state_ == State::Playing && buffering_; }
    // Waiting for bytes or playing (paused too): the owner keeps calling advance.
    bool active() const { return state_ == State::Waiting || state_ == State::Playing; }
    // Pictures a second the file holds (0 without pictures).
    double framesPerSecond() const;
    // The frame shown now, -1 before the first; the decoded picture's size (0 x 0 before).
    int frameShown() const;
    QSize pictureSize();
    // Whether the clock follows the sound heard rather than the engine's time.
    bool soundDrivesClock() const;
    // The voice the stream's sound plays in now (for tests).
    Mixer::VoiceId voice() const { return voice_; }

    // ---- AttachedVideo ----
    QImage currentPicture() override;
    int currentPictureNumber() const override { return frameShown(); }

private:
    enum class State { Idle, Waiting, Playing, Ended, Closed };
    void queue(const char* code, const char* level = "status");
    void openPictures(VideoHost* video);
    void fillBuffer(double nowMs);
    void startSound();
    void stopSound();
    void applyGains();
    void restartClock(double nowMs);
    double endMs() const;
    // How far playing can go with what has arrived.
    double loadedEndMs() const;
    int frameAt(double timeMs) const;

    SoundEngine* soundEngine_ = nullptr;
    Mixer* voiceMixer_ = nullptr; // where voice_ plays
    const void* audioOwner_ = nullptr;
    bool receiveAudio_ = true;
    State state_ = State::Idle;
    bool paused_ = false;
    bool buffering_ = false;
    double bufferTime_ = 0.1;
    std::shared_ptr<const Spool> spool_;
    std::optional<FlvFile> file_;
    std::size_t nextScript_ = 0;
    std::deque<Event> events_;
    bool complete_ = false;
    qsizetype bytesLoaded_ = 0;
    qsizetype bytesTotal_ = 0;
    double time_ = 0;     // the stream's clock
    double baseTime_ = 0; // the clock at baseNow_
    double baseNow_ = 0;  // the engine's time when the clock last restarted
    // The piece of the sound decoded now: packets [soundFirst_, soundEnd_).
    std::shared_ptr<const DecodedSound> sound_;
    uint32_t soundStartMs_ = 0;
    std::size_t soundFirst_ = 0;
    std::size_t soundEnd_ = 0;
    std::optional<std::size_t> soundFailedAt_;
    Mixer::VoiceId voice_;
    double voiceFromMs_ = 0; // the stream time the voice's first sample stands for

    mutable std::mutex pictureMutex_;
    std::unique_ptr<VideoPictures> pictures_;
    int frame_ = -1;
    int pictureFrame_ = -1;
    QImage picture_;
};

} // namespace swf::media

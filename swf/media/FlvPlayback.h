#pragma once

// One FLV as a NetStream plays it: the bytes as they arrive, a clock in milliseconds that
// play, pause, seek and close move, the buffer, the status messages Flash sends on the way
// (in Flash's order), the file's script data when the clock reaches it, the picture on show
// and the file's sound in the mixer. While the sound plays to a live device its position is
// the clock, so the picture follows what is heard. Engine thread, except the picture, which
// the drawing thread may ask for.

#include "swf/display/Video.h"
#include "swf/media/FlvFile.h"
#include "swf/media/FlvScriptData.h"
#include "swf/media/Mixer.h"

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
    };
    using Event = std::variant<Status, FlvScriptTag>;

    // Decoded sound an FLV may hold at most; beyond it the stream plays silent.
    static constexpr uint64_t kMaxSoundBytes = 256ull << 20;

    FlvPlayback();
    ~FlvPlayback() override;
    FlvPlayback(const FlvPlayback&) = delete;
    FlvPlayback& operator=(const FlvPlayback&) = delete;

    // Where the sound is heard; asked for afresh by the owner before each call, since the
    // movie's sound engine may be replaced (null: silent). Voices already started stop through
    // their mixer, which outlives every engine.
    void setSoundEngine(SoundEngine* sound) { soundEngine_ = sound; }

    // A new play: everything of the last file is forgotten; the bytes follow.
    void play(double nowMs);
    // The file's bytes so far; complete when no more come. Not an FLV: the stream is not
    // found. Ignored unless a play waits for them. video opens the pictures' decoder.
    void setData(const QByteArray& bytes, bool complete, double nowMs, VideoHost* video);
    // The load failed.
    void notFound();
    // Stops: no picture, no sound, no more messages.
    void close();
    // Toggles when pause is empty.
    void pause(std::optional<bool> pause, double nowMs);
    // Lands on the key frame at or before seconds.
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
    bool playing() const { return state_ == State::Playing && !paused_; }
    bool paused() const { return paused_; }
    // Waiting for bytes or playing (paused too): the owner keeps calling advance.
    bool active() const { return state_ == State::Waiting || state_ == State::Playing; }
    // Pictures a second the file holds (0 without pictures).
    double framesPerSecond() const;
    // The frame shown now, -1 before the first; the decoded picture's size (0 x 0 before).
    int frameShown() const;
    QSize pictureSize();
    // Whether the clock follows the sound heard rather than the engine's time.
    bool soundDrivesClock() const;

    // ---- AttachedVideo ----
    QImage currentPicture() override;
    int currentPictureNumber() const override { return frameShown(); }

private:
    enum class State { Idle, Waiting, Playing, Ended, Closed };
    void queue(const char* code, const char* level = "status");
    void startSound();
    void stopSound();
    void restartClock(double nowMs);
    double endMs() const;
    int frameAt(double timeMs) const;

    SoundEngine* soundEngine_ = nullptr;
    Mixer* voiceMixer_ = nullptr; // where voice_ plays
    State state_ = State::Idle;
    bool paused_ = false;
    double bufferTime_ = 0.1;
    std::optional<FlvFile> file_;
    std::vector<FlvScriptTag> scripts_;
    std::size_t nextScript_ = 0;
    std::deque<Event> events_;
    bool complete_ = false;
    qsizetype bytesLoaded_ = 0;
    qsizetype bytesTotal_ = 0;
    double time_ = 0;     // the stream's clock
    double baseTime_ = 0; // the clock at baseNow_
    double baseNow_ = 0;  // the engine's time when the clock last restarted
    std::shared_ptr<const DecodedSound> sound_;
    uint32_t soundStartMs_ = 0;
    bool soundFailed_ = false;
    Mixer::VoiceId voice_;
    double voiceFromMs_ = 0; // the stream time the voice's first sample stands for

    mutable std::mutex pictureMutex_;
    std::unique_ptr<VideoPictures> pictures_;
    int frame_ = -1;
    int pictureFrame_ = -1;
    QImage picture_;
};

} // namespace swf::media

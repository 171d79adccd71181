#include "swf/media/FlvPlayback.h"

#include "swf/display/VideoHost.h"
#include "swf/media/FlvSound.h"
#include "swf/media/SoundEngine.h"

#include <algorithm>
#include <cmath>

namespace swf::media {

FlvPlayback::FlvPlayback() = default;

FlvPlayback::~FlvPlayback() {
    stopSound();
}

void FlvPlayback::queue(const char* code, const char* level) {
    events_.emplace_back(Status{QLatin1String(code), QLatin1String(level), std::nullopt});
}

void FlvPlayback::play(double nowMs, std::shared_ptr<const Spool> spool) {
    close();
    state_ = State::Waiting;
    paused_ = false;
    buffering_ = false;
    baseNow_ = nowMs;
    spool_ = std::move(spool);
    if (spool_)
        file_.emplace(spool_);
}

void FlvPlayback::play(double nowMs) {
    play(nowMs, nullptr);
}

void FlvPlayback::setData(const QByteArray& bytes, bool complete, double nowMs, VideoHost* video) {
    if (state_ != State::Waiting)
        return;
    spool_ = Spool::ofBytes(bytes);
    file_.emplace(spool_);
    arrived(bytes.size(), complete, nowMs, video);
}

void FlvPlayback::notFound() {
    if (state_ != State::Waiting)
        return;
    state_ = State::Idle;
    file_.reset();
    spool_.reset();
    queue("NetStream.Play.StreamNotFound", "error");
}

void FlvPlayback::arrived(qint64 total, bool complete, double nowMs, VideoHost* video) {
    if ((state_ != State::Waiting && state_ != State::Playing) || !file_ || !spool_)
        return;
    bytesLoaded_ = spool_->size();
    bytesTotal_ = std::max<qint64>(total, bytesLoaded_);
    if (complete)
        bytesTotal_ = bytesLoaded_;
    if (auto scanned = file_->scan(); !scanned) {
        if (state_ == State::Waiting) {
            notFound();
            return;
        }
        complete = true; // what was read before the damage still plays
    }
    if (file_->damaged())
        complete = true;
    complete_ = complete;
    if (!file_->headerRead()) {
        if (complete)
            notFound();
        return;
    }
    openPictures(video);
    if (state_ == State::Waiting) {
        state_ = State::Playing;
        buffering_ = true;
        time_ = 0;
        restartClock(nowMs);
        queue("NetStream.Play.Start");
    }
    fillBuffer(nowMs);
    advance(nowMs);
}

void FlvPlayback::openPictures(VideoHost* video) {
    if (!video || !file_->video() || file_->video()->size() == 0)
        return;
    std::lock_guard lock(pictureMutex_);
    if (pictures_)
        return;
    const auto& frames = file_->video();
    pictures_ =
        video->openFrames(frames->codec(), frames->decoderConfig(), frames, kMaxPicturePixels);
}

void FlvPlayback::fillBuffer(double nowMs) {
    if (state_ != State::Playing || !buffering_ || paused_)
        return;
    const double ahead = loadedEndMs() - time_;
    if (!complete_ && (ahead <= 0 || ahead < bufferTime_ * 1000.0))
        return;
    buffering_ = false;
    queue("NetStream.Buffer.Full");
    restartClock(nowMs);
    startSound();
}

void FlvPlayback::close() {
    stopSound();
    {
        std::lock_guard lock(pictureMutex_);
        pictures_.reset();
        frame_ = -1;
        pictureFrame_ = -1;
        picture_ = QImage();
    }
    file_.reset();
    spool_.reset();
    nextScript_ = 0;
    sound_.reset();
    soundFirst_ = soundEnd_ = 0;
    soundFailedAt_.reset();
    events_.clear();
    complete_ = false;
    buffering_ = false;
    bytesLoaded_ = bytesTotal_ = 0;
    time_ = 0;
    state_ = State::Closed;
}

void FlvPlayback::pause(std::optional<bool> pause, double nowMs) {
    const bool want = pause.value_or(!paused_);
    if (want == paused_)
        return;
    advance(nowMs);
    paused_ = want;
    if (paused_) {
        stopSound();
    } else {
        restartClock(nowMs);
        startSound();
        fillBuffer(nowMs);
    }
}

void FlvPlayback::seek(double seconds, double nowMs) {
    if (!file_ || state_ == State::Closed || state_ == State::Waiting || state_ == State::Idle)
        return;
    if (!std::isfinite(seconds))
        return;
    double wanted = std::max(0.0, seconds * 1000.0);
    if (!complete_ && wanted > loadedEndMs()) {
        // Only what has arrived can be shown; the clock stays where it is.
        Status status{QStringLiteral("NetStream.Seek.InvalidTime"), QStringLiteral("error"),
                      loadedEndMs() / 1000.0};
        events_.emplace_back(std::move(status));
        return;
    }
    wanted = std::min(wanted, endMs());
    const auto wantedMs = static_cast<uint32_t>(wanted);
    double target = wanted;
    if (file_->video()) {
        // Only a key frame decodes on its own, so that is where playing can resume.
        const auto key = file_->seekTime(wantedMs);
        target = key ? *key : 0;
    }
    stopSound();
    time_ = target;
    if (state_ == State::Ended)
        state_ = State::Playing;
    restartClock(nowMs);
    // What lies before the new position has been passed; what lies after is met again.
    const auto& scripts = file_->scripts();
    nextScript_ = 0;
    while (nextScript_ < scripts.size() && scripts[nextScript_].timeMs <= target)
        ++nextScript_;
    queue("NetStream.Seek.Notify");
    {
        std::lock_guard lock(pictureMutex_);
        frame_ = frameAt(time_);
    }
    if (!buffering_)
        startSound();
    fillBuffer(nowMs);
}

void FlvPlayback::setBufferTime(double seconds) {
    bufferTime_ = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

double FlvPlayback::endMs() const {
    if (!file_)
        return 0;
    double end = file_->durationMs();
    // The last picture stays up for as long as the one before it did.
    const auto& times = file_->videoTimes();
    if (times.size() >= 2 && times[times.size() - 1] >= times[times.size() - 2])
        end += std::min<uint32_t>(times[times.size() - 1] - times[times.size() - 2], 1000);
    // The last sound packet lasts as long as its samples do.
    if (sound_ && sound_->rate > 0 && soundEnd_ == file_->sound().size())
        end = std::max(end, soundStartMs_ +
                                1000.0 * static_cast<double>(sound_->frames()) / sound_->rate);
    return end;
}

double FlvPlayback::loadedEndMs() const {
    if (!file_)
        return 0;
    return complete_ ? endMs() : file_->durationMs();
}

double FlvPlayback::bufferLengthSeconds() const {
    if (!file_ || state_ == State::Closed)
        return 0;
    return std::max(0.0, loadedEndMs() - time_) / 1000.0;
}

bool FlvPlayback::soundDrivesClock() const {
    return voiceMixer_ && voice_.valid() && voiceMixer_->clockLive() &&
           voiceMixer_->playing(voice_);
}

void FlvPlayback::restartClock(double nowMs) {
    baseTime_ = time_;
    baseNow_ = nowMs;
}

void FlvPlayback::startSound() {
    if (!soundEngine_ || state_ != State::Playing || paused_ || buffering_ || !file_)
        return;
    const auto& packets = file_->sound();
    if (!file_->soundFormat() || packets.empty())
        return;
    // The packet playing at the clock, and enough after it for a piece of sound.
    const auto after =
        std::upper_bound(packets.begin(), packets.end(), static_cast<uint32_t>(time_),
                         [](uint32_t t, const FlvSoundPacket& p) { return t < p.timeMs; });
    const auto first = static_cast<std::size_t>(
        std::distance(packets.begin(), after == packets.begin() ? after : std::prev(after)));
    const bool covered = sound_ && first >= soundFirst_ && first < soundEnd_ &&
                         (soundEnd_ == packets.size() || first + 1 < soundEnd_);
    if (!covered) {
        if (soundFailedAt_ == first)
            return;
        const uint32_t until = packets[first].timeMs + kSoundPieceMs;
        std::size_t end = first + 1;
        while (end < packets.size() && packets[end].timeMs < until)
            ++end;
        auto decoded = decodeFlvSound(*file_, kMaxSoundBytes, first, end);
        if (!decoded) {
            // The pictures still play, paced by the engine's clock.
            soundFailedAt_ = first;
            sound_.reset();
            return;
        }
        sound_ = std::move(decoded.value().sound);
        soundStartMs_ = decoded.value().startMs;
        soundFirst_ = first;
        soundEnd_ = end;
    }
    if (sound_->rate <= 0)
        return;
    const double into = std::max(0.0, time_ - soundStartMs_);
    const auto startFrame = static_cast<uint64_t>(into * sound_->rate / 1000.0);
    if (startFrame >= sound_->frames())
        return;
    voice_ = soundEngine_->playDecoded(sound_, startFrame);
    voiceMixer_ = &soundEngine_->mixer();
    voiceFromMs_ = soundStartMs_ + 1000.0 * static_cast<double>(startFrame) / sound_->rate;
    applyGains();
}

void FlvPlayback::applyGains() {
    if (!voice_.valid() || !voiceMixer_ || !soundEngine_ || voiceMixer_ != &soundEngine_->mixer())
        return;
    voiceMixer_->setGains(voice_,
                          receiveAudio_ ? soundEngine_->gainsOf(audioOwner_) : Gains{0, 0, 0, 0});
}

void FlvPlayback::stopSound() {
    if (voice_.valid() && voiceMixer_)
        voiceMixer_->stop(voice_);
    voice_ = {};
}

void FlvPlayback::advance(double nowMs) {
    if (state_ != State::Playing || !file_)
        return;
    if (!paused_ && !buffering_) {
        if (soundDrivesClock()) {
            time_ = voiceFromMs_ +
                    1000.0 * static_cast<double>(voiceMixer_->consumed(voice_)) / sound_->rate;
            restartClock(nowMs);
        } else {
            if (voice_.valid() && voiceMixer_ && !voiceMixer_->playing(voice_)) {
                // The piece of sound ran out: the engine's clock takes over, and the next
                // piece, when there is one, is heard from here.
                voice_ = {};
                restartClock(nowMs);
                time_ = baseTime_;
                startSound();
            }
            time_ = baseTime_ + std::max(0.0, nowMs - baseNow_);
        }
        if (!complete_ && time_ >= loadedEndMs()) {
            // Played up to what has arrived: hold the clock until the buffer fills again.
            time_ = loadedEndMs();
            buffering_ = true;
            stopSound();
            restartClock(nowMs);
            queue("NetStream.Buffer.Empty");
        }
    }
    applyGains();
    const double end = endMs();
    const bool ended = complete_ && time_ >= end;
    if (ended)
        time_ = end;
    const auto& scripts = file_->scripts();
    while (nextScript_ < scripts.size() && scripts[nextScript_].timeMs <= time_)
        events_.emplace_back(scripts[nextScript_++]);
    {
        std::lock_guard lock(pictureMutex_);
        frame_ = frameAt(time_);
    }
    if (ended) {
        stopSound();
        state_ = State::Ended;
        queue("NetStream.Buffer.Flush");
        queue("NetStream.Play.Stop");
        queue("NetStream.Buffer.Empty");
    }
}

std::deque<FlvPlayback::Event> FlvPlayback::takeEvents() {
    return std::exchange(events_, {});
}

int FlvPlayback::frameAt(double timeMs) const {
    const auto f = file_->videoFrameAt(static_cast<uint32_t>(timeMs));
    // Files whose first picture comes a little after 0 show it from the start rather than
    // a blank video.
    return f ? *f : (file_->videoTimes().empty() ? -1 : 0);
}

double FlvPlayback::framesPerSecond() const {
    if (!file_ || file_->videoTimes().size() < 2)
        return 0;
    const auto& times = file_->videoTimes();
    const auto [first, last] = std::minmax_element(times.begin(), times.end());
    if (*last == *first)
        return 0;
    return 1000.0 * static_cast<double>(times.size() - 1) / (*last - *first);
}

int FlvPlayback::frameShown() const {
    std::lock_guard lock(pictureMutex_);
    return frame_;
}

QSize FlvPlayback::pictureSize() {
    return currentPicture().size();
}

QImage FlvPlayback::currentPicture() {
    std::lock_guard lock(pictureMutex_);
    if (!pictures_ || frame_ < 0)
        return {};
    if (pictureFrame_ != frame_) {
        picture_ = pictures_->picture(frame_);
        pictureFrame_ = frame_;
    }
    return picture_;
}

} // namespace swf::media

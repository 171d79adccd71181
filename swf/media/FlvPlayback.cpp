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
    events_.emplace_back(Status{QLatin1String(code), QLatin1String(level)});
}

void FlvPlayback::play(double nowMs) {
    close();
    state_ = State::Waiting;
    paused_ = false;
    baseNow_ = nowMs;
}

void FlvPlayback::notFound() {
    if (state_ != State::Waiting)
        return;
    state_ = State::Idle;
    queue("NetStream.Play.StreamNotFound", "error");
}

void FlvPlayback::setData(const QByteArray& bytes, bool complete, double nowMs, VideoHost* video) {
    if (state_ != State::Waiting)
        return;
    auto parsed = FlvFile::parse(bytes);
    if (!parsed) {
        notFound();
        return;
    }
    file_ = std::move(parsed.value());
    if (auto scripts = FlvScriptData::read(bytes))
        scripts_ = std::move(scripts.value());
    complete_ = complete;
    bytesLoaded_ = bytes.size();
    bytesTotal_ = bytes.size();
    if (file_->video() && video) {
        std::lock_guard lock(pictureMutex_);
        pictures_ = video->openVideo(file_->video());
    }
    // Decoded even while no engine listens: one may come before the stream is over.
    if (file_->soundFormat() && !file_->sound().empty()) {
        auto decoded = decodeFlvSound(*file_, kMaxSoundBytes);
        if (decoded) {
            sound_ = std::move(decoded.value().sound);
            soundStartMs_ = decoded.value().startMs;
        } else {
            // The pictures still play, paced by the engine's clock.
            soundFailed_ = true;
        }
    }
    state_ = State::Playing;
    time_ = 0;
    restartClock(nowMs);
    queue("NetStream.Play.Start");
    queue("NetStream.Buffer.Full");
    startSound();
    advance(nowMs);
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
    scripts_.clear();
    nextScript_ = 0;
    sound_.reset();
    soundFailed_ = false;
    events_.clear();
    complete_ = false;
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
    }
}

void FlvPlayback::seek(double seconds, double nowMs) {
    if (!file_ || state_ == State::Closed || state_ == State::Waiting)
        return;
    if (!std::isfinite(seconds))
        return;
    const double wanted = std::clamp(seconds * 1000.0, 0.0, endMs());
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
    nextScript_ = 0;
    while (nextScript_ < scripts_.size() && scripts_[nextScript_].timeMs <= target)
        ++nextScript_;
    queue("NetStream.Seek.Notify");
    {
        std::lock_guard lock(pictureMutex_);
        frame_ = frameAt(time_);
    }
    startSound();
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
    if (sound_ && sound_->rate > 0)
        end = std::max(end, soundStartMs_ +
                                1000.0 * static_cast<double>(sound_->frames()) / sound_->rate);
    return end;
}

double FlvPlayback::bufferLengthSeconds() const {
    if (!file_ || state_ == State::Closed)
        return 0;
    const double loadedEnd = complete_ ? endMs() : file_->durationMs();
    return std::max(0.0, loadedEnd - time_) / 1000.0;
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
    if (!sound_ || !soundEngine_ || state_ != State::Playing || paused_ || sound_->rate <= 0)
        return;
    const double into = std::max(0.0, time_ - soundStartMs_);
    const auto startFrame = static_cast<uint64_t>(into * sound_->rate / 1000.0);
    if (startFrame >= sound_->frames())
        return;
    voice_ = soundEngine_->playDecoded(sound_, startFrame);
    voiceMixer_ = &soundEngine_->mixer();
    voiceFromMs_ = soundStartMs_ + 1000.0 * static_cast<double>(startFrame) / sound_->rate;
}

void FlvPlayback::stopSound() {
    if (voice_.valid() && voiceMixer_)
        voiceMixer_->stop(voice_);
    voice_ = {};
}

void FlvPlayback::advance(double nowMs) {
    if (state_ != State::Playing || !file_)
        return;
    if (!paused_) {
        if (soundDrivesClock()) {
            time_ = voiceFromMs_ +
                    1000.0 * static_cast<double>(voiceMixer_->consumed(voice_)) / sound_->rate;
            restartClock(nowMs);
        } else {
            if (voice_.valid() && voiceMixer_ && !voiceMixer_->playing(voice_)) {
                // The sound ran out before the pictures: the engine's clock takes over.
                voice_ = {};
                restartClock(nowMs);
            }
            time_ = baseTime_ + std::max(0.0, nowMs - baseNow_);
        }
    }
    const double end = endMs();
    const bool ended = time_ >= end && complete_;
    if (ended)
        time_ = end;
    while (nextScript_ < scripts_.size() && scripts_[nextScript_].timeMs <= time_)
        events_.emplace_back(scripts_[nextScript_++]);
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

#pragma once

// Where the control's mixer is heard. The output pulls the mixer on a thread of its own (the
// audio thread); everything else here is called on the thread that owns the control. The
// mixer is not owned: it must outlive the output, or stop() must have returned first.
//
// When there is no device, or the device fails while playing, the output stops pulling and
// the mixer's clock is turned off, so the movie plays on silently at its frame rate; the
// failure is told once through the callback given to start().

#include <QString>
#include <functional>

namespace swf::media {
class Mixer;
}

namespace flash {

class AudioOutput {
public:
    using FailureHandler = std::function<void(const QString& message)>;

    virtual ~AudioOutput() = default;
    // The rate the mixer should be made with for this output (the device's, when it cannot
    // take 44,100 Hz).
    virtual int rate() const = 0;
    // Starts pulling mixer; false when no device could be opened. onFailure is called on the
    // owner's thread, at most once per start.
    virtual bool start(swf::media::Mixer& mixer, FailureHandler onFailure) = 0;
    // Stops pulling; the mixer is not touched once this returns.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

} // namespace flash

#pragma once

// The control's audio output through Qt Multimedia's QAudioSink: 16-bit stereo, pulled by the
// sink on a thread of its own, which runs only the mixer.

#include "flash/audio/AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace flash {

class QtAudioOutput final : public QObject, public AudioOutput {
    Q_OBJECT
public:
    // The system's default output device.
    QtAudioOutput();
    // A given device; a null one has nothing to play to (tests use it for a missing device).
    explicit QtAudioOutput(const QAudioDevice& device);
    ~QtAudioOutput() override;

    int rate() const override { return format_.sampleRate(); }
    bool start(swf::media::Mixer& mixer, FailureHandler onFailure) override;
    void stop() override;
    bool running() const override { return running_.load(); }

private:
    class Worker;
    void failed(const QString& message);

    QAudioDevice device_;
    QAudioFormat format_;
    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
    FailureHandler onFailure_;
    swf::media::Mixer* mixer_ = nullptr;
    std::atomic<bool> running_{false};
    bool told_ = false;
};

} // namespace flash

#include "flash/audio/QtAudioOutput.h"

#include "swf/media/Mixer.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>

namespace flash {

namespace {

constexpr int kPreferredRate = 44100;
constexpr int kBytesPerFrame = 4; // 16-bit stereo

// What the sink reads: the mixer's output, as much as the sink asks for.
class MixerDevice final : public QIODevice {
public:
    explicit MixerDevice(swf::media::Mixer& mixer) : mixer_(mixer) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 16; }
    void setSink(QAudioSink* sink) { sink_ = sink; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const int frames = static_cast<int>(std::min<qint64>(maxSize, 1 << 20) / kBytesPerFrame);
        if (sink_) {
            // What the sink holds unplayed: the picture follows what is heard, not what was
            // mixed.
            const qint64 queued = sink_->bufferSize() - sink_->bytesFree();
            mixer_.setLatencyFrames(static_cast<int>(std::max<qint64>(0, queued) / kBytesPerFrame));
        }
        mixer_.mix(reinterpret_cast<int16_t*>(data), frames);
        return static_cast<qint64>(frames) * kBytesPerFrame;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    swf::media::Mixer& mixer_;
    QAudioSink* sink_ = nullptr;
};

QAudioFormat formatFor(const QAudioDevice& device) {
    QAudioFormat f;
    f.setChannelCount(2);
    f.setSampleFormat(QAudioFormat::Int16);
    f.setSampleRate(kPreferredRate);
    if (!device.isNull() && !device.isFormatSupported(f)) {
        const int rate = device.preferredFormat().sampleRate();
        if (rate > 0)
            f.setSampleRate(rate);
    }
    return f;
}

} // namespace

// The sink and the device it reads live on the audio thread: the sink's pulls, and so the
// mixer, run there.
class QtAudioOutput::Worker final : public QObject {
public:
    Worker(QtAudioOutput& owner, const QAudioDevice& device, const QAudioFormat& format,
           swf::media::Mixer& mixer)
        : owner_(owner), device_(device), format_(format), source_(mixer) {}

    void open() {
        sink_ = std::make_unique<QAudioSink>(device_, format_);
        // About 100 ms of sound queued: enough against hiccups, little enough for the picture.
        sink_->setBufferSize(format_.sampleRate() / 10 * kBytesPerFrame);
        source_.setSink(sink_.get());
        source_.open(QIODevice::ReadOnly);
        QObject::connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State s) {
            if (s == QAudio::StoppedState && sink_->error() != QAudio::NoError)
                tellOwner(QStringLiteral("the audio device failed (%1)").arg(int(sink_->error())));
        });
        sink_->start(&source_);
        if (sink_->error() != QAudio::NoError || sink_->state() == QAudio::StoppedState)
            tellOwner(QStringLiteral("the audio device could not be opened"));
    }
    void close() {
        if (sink_) {
            sink_->disconnect(this);
            sink_->stop();
        }
        sink_.reset();
        source_.close();
    }

private:
    void tellOwner(const QString& message) {
        QMetaObject::invokeMethod(
            &owner_, [o = &owner_, message] { o->failed(message); }, Qt::QueuedConnection);
    }

    QtAudioOutput& owner_;
    QAudioDevice device_;
    QAudioFormat format_;
    MixerDevice source_;
    std::unique_ptr<QAudioSink> sink_;
};

QtAudioOutput::QtAudioOutput() : QtAudioOutput(QMediaDevices::defaultAudioOutput()) {}

QtAudioOutput::QtAudioOutput(const QAudioDevice& device)
    : device_(device), format_(formatFor(device)) {
    thread_.setObjectName(QStringLiteral("audio"));
}

QtAudioOutput::~QtAudioOutput() {
    stop();
}

bool QtAudioOutput::start(swf::media::Mixer& mixer, FailureHandler onFailure) {
    stop();
    onFailure_ = std::move(onFailure);
    told_ = false;
    mixer_ = &mixer;
    if (device_.isNull()) {
        failed(QStringLiteral("no audio output device"));
        return false;
    }
    thread_.start();
    worker_ = new Worker(*this, device_, format_, mixer);
    worker_->moveToThread(&thread_);
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->open(); }, Qt::BlockingQueuedConnection);
    running_ = true;
    mixer.setClockLive(true);
    return true;
}

void QtAudioOutput::stop() {
    if (mixer_)
        mixer_->setClockLive(false);
    if (worker_) {
        QMetaObject::invokeMethod(
            worker_,
            [w = worker_] {
                w->close();
                delete w;
            },
            Qt::BlockingQueuedConnection);
        worker_ = nullptr;
    }
    thread_.quit();
    thread_.wait();
    running_ = false;
    mixer_ = nullptr;
}

void QtAudioOutput::failed(const QString& message) {
    // Silent from here on: the frames go back to the timer.
    if (mixer_)
        mixer_->setClockLive(false);
    running_ = false;
    if (told_)
        return;
    told_ = true;
    if (onFailure_)
        onFailure_(message);
}

} // namespace flash

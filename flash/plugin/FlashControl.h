#pragma once

// The Flash control: a child widget that loads a movie with the engine, plays its timeline at
// the movie's frame rate and shows its picture. The player drives it only through Invoke().

#include "flash/ControlAbi.h"

#include "swf/Player.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

namespace swf {
class MovieLoader;
class Player;
namespace media {
class Mixer;
}
} // namespace swf

namespace flash {

class AudioOutput;
class ControlHost;
class UrlFetcher;

class FlashControl final : public QWidget, public IFlashControl {
    Q_OBJECT
public:
    explicit FlashControl(QWidget* parent);
    ~FlashControl() override;

    QWidget* Widget() override { return this; }
    HRESULT Invoke(int dispId, InvokeKind kind, const QVariantList& args, QVariant* result,
                   QString* errorText) override;
    void PaintTo(QPainter& painter, const QPoint& origin) override;
    void SetSite(IFlashControlSite* site) override;
    void Release() override;

    static int liveInstances();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The movie hears the left button, moves and keys in its own coordinates; the right
    // button stays the player's.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Chinese and other input methods commit their text here, not as key presses.
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    HRESULT setMovie(const QString& movie, QString* errorText);
    HRESULT loadLocalFile(const QString& path, QString* errorText);
    void loadUrl(const QString& url);
    void onUrlData(const QByteArray& data);
    void onUrlFinished();
    void onUrlFailed(const QString& message);
    void clearMovie();
    void makePlayer();
    // The first control to play a movie is the one heard; the others (a second control in
    // the same process) play silently, so no sound is ever heard twice.
    void claimAudio();
    QPointF toStage(QPointF widgetPoint) const;
    swf::RenderOptions renderOptions() const;
    void updateCursor();
#ifdef QUARVEL_HAVE_URL_FETCHER
    void dropFetcher();
#endif
    void startWhenFirstFrameArrives();
    void onFrameTimer();
    void pictureChanged();
    void renderPicture();
    void setQualityMode(swf::QualityMode mode);
    swf::QualityMode qualityMode() const;

    int currentFrameNumber() const;
    int totalFrames() const;
    bool isPlaying() const;
    int percentLoaded() const;

    IFlashControlSite* site_ = nullptr;
    QString movieUrl_;
    std::unique_ptr<ControlHost> host_;
    std::unique_ptr<swf::MovieLoader> loader_;
    // The mixer outlives the output that pulls it and the player that plays into it.
    std::unique_ptr<swf::media::Mixer> mixer_;
    std::unique_ptr<AudioOutput> audio_;
    bool audible_ = false;
    std::unique_ptr<swf::Player> player_;
#ifdef QUARVEL_HAVE_URL_FETCHER
    std::unique_ptr<UrlFetcher> fetcher_;
#endif
    QTimer frameTimer_;
    // Blinks the caret of a focused input field while frames do not redraw anyway.
    QTimer caretTimer_;
    bool started_ = false;
    // What the holder set; each new movie starts there, and script may change it after.
    swf::QualityMode qualityMode_ = swf::QualityMode::High;
    // What the frame shown last cost, for autolow and autohigh.
    double tickMs_ = -1;
    double renderMs_ = 0;
    double zoom_ = 1.0;
    std::optional<QColor> background_;
    QImage picture_;
    bool pictureValid_ = false;
    int shownFrame_ = -1;
};

} // namespace flash

#pragma once

// The Flash control: a child widget that loads a movie with the engine, plays its timeline at
// the movie's frame rate and shows its picture. The player drives it only through Invoke().

#include "flash/ControlAbi.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

namespace swf {
class MovieLoader;
class Player;
} // namespace swf

namespace flash {

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
    void Release() override;

    static int liveInstances();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    HRESULT setMovie(const QString& movie, QString* errorText);
    HRESULT loadLocalFile(const QString& path, QString* errorText);
    void loadUrl(const QString& url);
    void onUrlData(const QByteArray& data);
    void onUrlFinished();
    void onUrlFailed(const QString& message);
    void clearMovie();
#ifdef QUARVEL_HAVE_URL_FETCHER
    void dropFetcher();
#endif
    void startWhenFirstFrameArrives();
    void onFrameTimer();
    void pictureChanged();
    void renderPicture();
    bool antialiased() const;

    int currentFrameNumber() const;
    int totalFrames() const;
    bool isPlaying() const;
    int percentLoaded() const;

    std::unique_ptr<swf::MovieLoader> loader_;
    std::unique_ptr<swf::Player> player_;
#ifdef QUARVEL_HAVE_URL_FETCHER
    std::unique_ptr<UrlFetcher> fetcher_;
#endif
    QTimer frameTimer_;
    bool started_ = false;
    int quality_ = 1;
    double zoom_ = 1.0;
    std::optional<QColor> background_;
    QImage picture_;
    bool pictureValid_ = false;
    int shownFrame_ = -1;
};

} // namespace flash

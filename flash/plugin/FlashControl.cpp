#include "flash/plugin/FlashControl.h"

#include "flash/audio/QtAudioOutput.h"
#include "flash/plugin/ControlHost.h"
#include "platform/WaveOut.h"
#include "swf/Player.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/MovieLoader.h"
#include "swf/media/Mixer.h"
#ifdef QUARVEL_HAVE_URL_FETCHER
#include "flash/UrlFetcher.h"
#endif

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWheelEvent>
#include <atomic>
#include <cmath>
#include <cstdio>

namespace flash {
namespace {

std::atomic<int> g_liveInstances{0};
// Whether a control of this process already plays to the audio device.
std::atomic<bool> g_audioClaimed{false};
std::atomic<bool> g_toldNoAudio{false};

// Local movies larger than the engine accepts are refused before being read into memory;
// compressed files can only shrink the limit further.
constexpr qint64 kMaxFileSize = qint64(swf::kMaxMovieLength);

bool isBlankMovie(const QString& movie) {
    return movie.isEmpty() || movie.compare(QStringLiteral("blank.swf"), Qt::CaseInsensitive) == 0;
}

bool isRemoteUrl(const QString& movie) {
    return movie.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
           movie.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
}

// Flash's key codes (Key.getCode) are the Windows virtual-key codes.
int flashKeyCode(const QKeyEvent& e) {
    const int key = e.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key; // the same numbers
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F15)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        return 0;
    }
}

int asciiOf(const QKeyEvent& e) {
    const QString text = e.text();
    if (text.size() != 1)
        return e.key() == Qt::Key_Return || e.key() == Qt::Key_Enter ? 13 : 0;
    const ushort c = text.at(0).unicode();
    return c < 0x7f || c >= 0xa0 ? c : 0;
}

HRESULT fail(QString* errorText, const QString& message, HRESULT code = E_FAIL) {
    if (errorText)
        *errorText = message;
    return code;
}

} // namespace

FlashControl::FlashControl(QWidget* parent) : QWidget(parent) {
    ++g_liveInstances;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &FlashControl::onFrameTimer);
    caretTimer_.start(250);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        swf::Stage* stage = player_ && started_ ? player_->stage() : nullptr;
        swf::DisplayObject* focus = stage ? stage->focus() : nullptr;
        const swf::TextField* field = focus ? focus->asTextField() : nullptr;
        if (field && field->typable() && !frameTimer_.isActive())
            pictureChanged();
    });
}

FlashControl::~FlashControl() {
    clearMovie();
    if (audio_)
        audio_->stop();
    if (audible_)
        g_audioClaimed = false;
    --g_liveInstances;
}

void FlashControl::claimAudio() {
    if (mixer_)
        return;
    bool expected = false;
    audible_ = g_audioClaimed.compare_exchange_strong(expected, true);
    if (!audible_) {
        // Heard elsewhere already: this control's movie plays without sound.
        return;
    }
    audio_ = std::make_unique<QtAudioOutput>();
    mixer_ = std::make_unique<swf::media::Mixer>(audio_->rate());
    // The player's volume bars act on what is heard, left and right apart.
    mixer_->setVolumeSource(&platform::waveOutVolume);
    audio_->start(*mixer_, [](const QString& message) {
        // Once for the process: a control made again (another window, a new start of the
        // player's main window) has nothing new to say about the same machine.
        if (!g_toldNoAudio.exchange(true))
            std::fprintf(stderr, "swflash: %s; movies play without sound\n", qPrintable(message));
    });
}

int FlashControl::liveInstances() {
    return g_liveInstances.load();
}

void FlashControl::Release() {
    delete this;
}

HRESULT FlashControl::Invoke(int dispId, InvokeKind kind, const QVariantList& args,
                             QVariant* result, QString* errorText) {
    auto needArgs = [&](qsizetype n) { return args.size() == n; };
    auto intArg = [&](bool* ok) { return args.value(0).toInt(ok); };
    auto give = [&](const QVariant& v) {
        if (result)
            *result = v;
        return S_OK;
    };
    bool ok = true;

    switch (dispId) {
    case DISPID_Movie:
        if (kind != InvokeKind::PropertyPut)
            return DISP_E_MEMBERNOTFOUND;
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        return setMovie(args[0].toString(), errorText);
    case DISPID_Playing:
        if (kind == InvokeKind::PropertyGet)
            return give(isPlaying());
        if (kind != InvokeKind::PropertyPut)
            return DISP_E_MEMBERNOTFOUND;
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        if (player_) {
            if (args[0].toBool())
                player_->play();
            else
                player_->stop();
        }
        return S_OK;
    case DISPID_Quality: {
        // The numbers of the vendor's control: 0 low, 1 high, 2 autolow, 3 autohigh.
        static constexpr swf::QualityMode kByNumber[] = {
            swf::QualityMode::Low, swf::QualityMode::High, swf::QualityMode::AutoLow,
            swf::QualityMode::AutoHigh};
        if (kind == InvokeKind::PropertyGet) {
            switch (qualityMode()) {
            case swf::QualityMode::Low:
                return give(0);
            case swf::QualityMode::AutoLow:
                return give(2);
            case swf::QualityMode::AutoHigh:
                return give(3);
            default:
                return give(1);
            }
        }
        if (kind != InvokeKind::PropertyPut)
            return DISP_E_MEMBERNOTFOUND;
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        const int value = intArg(&ok);
        if (!ok)
            return DISP_E_TYPEMISMATCH;
        if (value < 0 || value > 3)
            return fail(errorText, QStringLiteral("Quality must be 0 to 3, not %1").arg(value),
                        E_INVALIDARG);
        setQualityMode(kByNumber[value]);
        return S_OK;
    }
    case DISPID_Quality2: {
        if (kind == InvokeKind::PropertyGet)
            return give(swf::qualityModeName(qualityMode()));
        if (kind != InvokeKind::PropertyPut)
            return DISP_E_MEMBERNOTFOUND;
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        const auto mode = swf::qualityModeFromName(args[0].toString());
        if (!mode)
            return fail(errorText, QStringLiteral("Unknown quality \"%1\"").arg(args[0].toString()),
                        E_INVALIDARG);
        setQualityMode(*mode);
        return S_OK;
    }
    case DISPID_BackgroundColor: {
        if (kind != InvokeKind::PropertyPut)
            return DISP_E_MEMBERNOTFOUND;
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        const int value = intArg(&ok);
        if (!ok)
            return DISP_E_TYPEMISMATCH;
        // -1 hands the background back to the movie, as the vendor's control does.
        if (value < 0)
            background_.reset();
        else
            background_ = QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
        pictureChanged();
        return S_OK;
    }
    case DISPID_TotalFrames:
        if (kind != InvokeKind::PropertyGet)
            return DISP_E_MEMBERNOTFOUND;
        return give(totalFrames());
    case DISPID_Zoom: {
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        const int factor = intArg(&ok);
        if (!ok)
            return DISP_E_TYPEMISMATCH;
        if (factor == 0)
            zoom_ = 1.0;
        else if (factor > 0)
            // The view never grows beyond the whole stage, and stops at 1 % of it.
            zoom_ = std::clamp(zoom_ * factor / 100.0, 0.01, 1.0);
        pictureChanged();
        return S_OK;
    }
    case DISPID_Play:
        if (player_)
            player_->play();
        return S_OK;
    case DISPID_Stop:
        if (player_)
            player_->stop();
        return S_OK;
    case DISPID_Rewind:
        if (player_) {
            player_->rewind();
            pictureChanged();
        }
        return S_OK;
    case DISPID_GotoFrame: {
        if (!needArgs(1))
            return DISP_E_BADPARAMCOUNT;
        const int frame = intArg(&ok);
        if (!ok)
            return DISP_E_TYPEMISMATCH;
        // Frame numbers count from 1 like CurrentFrame; the engine clamps what is out of range.
        if (player_) {
            player_->gotoFrame(frame - 1);
            pictureChanged();
        }
        return S_OK;
    }
    case DISPID_CurrentFrame:
        return give(currentFrameNumber());
    case DISPID_IsPlaying:
        return give(isPlaying());
    case DISPID_PercentLoaded:
        return give(percentLoaded());
    default:
        return fail(errorText, QStringLiteral("Unknown dispatch id %1").arg(dispId),
                    DISP_E_MEMBERNOTFOUND);
    }
}

int FlashControl::currentFrameNumber() const {
    return player_ && loader_ && loader_->framesLoaded() > 0 ? player_->currentFrame() + 1 : 0;
}

int FlashControl::totalFrames() const {
    return player_ ? player_->totalFrames() : 0;
}

bool FlashControl::isPlaying() const {
    return player_ && player_->isPlaying();
}

int FlashControl::percentLoaded() const {
    return loader_ ? loader_->percentLoaded() : 0;
}

HRESULT FlashControl::setMovie(const QString& movie, QString* errorText) {
    clearMovie();
    if (isBlankMovie(movie))
        return S_OK;
    if (isRemoteUrl(movie)) {
        loadUrl(movie);
        return S_OK;
    }
    QString path = movie;
    if (movie.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        path = QUrl(movie).toLocalFile();
    return loadLocalFile(path, errorText);
}

HRESULT FlashControl::loadLocalFile(const QString& path, QString* errorText) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(errorText, QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() > kMaxFileSize)
        return fail(errorText, QStringLiteral("%1 is too large to be a movie").arg(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(errorText, QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));

    auto loader = std::make_unique<swf::MovieLoader>();
    auto appended = loader->append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!appended.ok())
        return fail(errorText, appended.error().message);
    auto finished = loader->finish();
    if (!finished.ok())
        return fail(errorText, finished.error().message);
    if (!loader->movie() || loader->framesLoaded() == 0)
        return fail(errorText, QStringLiteral("%1 holds no frame to show").arg(path));

    loader_ = std::move(loader);
    movieUrl_ = QFileInfo(path).absoluteFilePath();
    makePlayer();
    startWhenFirstFrameArrives();
    return S_OK;
}

void FlashControl::loadUrl(const QString& url) {
#ifdef QUARVEL_HAVE_URL_FETCHER
    loader_ = std::make_unique<swf::MovieLoader>();
    movieUrl_ = url;
    fetcher_ = std::make_unique<UrlFetcher>(url);
    connect(fetcher_.get(), &UrlFetcher::dataReceived, this, &FlashControl::onUrlData);
    connect(fetcher_.get(), &UrlFetcher::finished, this, &FlashControl::onUrlFinished);
    connect(fetcher_.get(), &UrlFetcher::failed, this, &FlashControl::onUrlFailed);
    fetcher_->start();
#else
    Q_UNUSED(url);
#endif
}

void FlashControl::onUrlData(const QByteArray& data) {
    if (!loader_)
        return;
    if (!loader_->append(data.constData(), static_cast<std::size_t>(data.size())).ok()) {
        onUrlFailed(loader_->errorMessage());
        return;
    }
    if (!player_ && loader_->movie() && loader_->framesLoaded() > 0)
        makePlayer();
    startWhenFirstFrameArrives();
    pictureChanged();
}

void FlashControl::onUrlFinished() {
    if (!loader_)
        return;
    if (!loader_->finish().ok() || loader_->framesLoaded() == 0) {
        onUrlFailed(loader_->errorMessage());
        return;
    }
    if (!player_)
        makePlayer();
    startWhenFirstFrameArrives();
#ifdef QUARVEL_HAVE_URL_FETCHER
    dropFetcher();
#endif
}

void FlashControl::onUrlFailed(const QString&) {
    // A movie that cannot be fetched leaves the control blank; the caller was told nothing
    // went wrong when it set the URL, just as with the vendor's control.
    clearMovie();
    pictureChanged();
}

#ifdef QUARVEL_HAVE_URL_FETCHER
void FlashControl::dropFetcher() {
    // Called from the fetcher's own signals too, so it is deleted once they have returned.
    if (fetcher_) {
        fetcher_->disconnect(this);
        fetcher_.release()->deleteLater();
    }
}
#endif

void FlashControl::clearMovie() {
    frameTimer_.stop();
#ifdef QUARVEL_HAVE_URL_FETCHER
    dropFetcher();
#endif
    player_.reset();
    host_.reset();
    loader_.reset();
    movieUrl_.clear();
    started_ = false;
    unsetCursor();
    shownFrame_ = -1;
    pictureChanged();
}

void FlashControl::makePlayer() {
    host_ = std::make_unique<ControlHost>();
    host_->setSite(site_);
    claimAudio();
    player_ = std::make_unique<swf::Player>(loader_->movie(), swf::Player::ScriptHostFactory{},
                                            host_.get(), movieUrl_, mixer_.get());
    player_->setQualityMode(qualityMode_);
    tickMs_ = -1;
}

void FlashControl::SetSite(IFlashControlSite* site) {
    site_ = site;
    if (host_)
        host_->setSite(site);
}

void FlashControl::startWhenFirstFrameArrives() {
    if (started_ || !player_ || !loader_ || loader_->framesLoaded() < 1)
        return;
    started_ = true;
    const auto& header = loader_->header();
    double rate = header ? header->frameRate : 12.0;
    // A rate of 0 means "as fast as possible" to old players; cap it at a sane speed.
    if (!(rate > 0.0) || !std::isfinite(rate))
        rate = 120.0;
    frameTimer_.start(std::max(1, static_cast<int>(std::lround(1000.0 / std::min(rate, 120.0)))));
    player_->play();
    pictureChanged();
}

void FlashControl::onFrameTimer() {
    if (!player_)
        return;
    // The frame before this one is done: what it cost to advance and draw decides the level
    // under autolow and autohigh. A frame never drawn (the window hidden) cost its advance.
    if (tickMs_ >= 0)
        player_->frameTook(tickMs_ + renderMs_);
    renderMs_ = 0;
    QElapsedTimer clock;
    clock.start();
    player_->tick();
    tickMs_ = clock.nsecsElapsed() / 1e6;
    // Sprites may animate while the main timeline stands still, so every tick is a new picture.
    pictureChanged();
    updateCursor();
}

void FlashControl::setQualityMode(swf::QualityMode mode) {
    qualityMode_ = mode;
    if (player_)
        player_->setQualityMode(mode);
    tickMs_ = -1;
    pictureChanged();
}

swf::QualityMode FlashControl::qualityMode() const {
    return player_ ? player_->qualityMode() : qualityMode_;
}

void FlashControl::pictureChanged() {
    pictureValid_ = false;
    update();
}

void FlashControl::renderPicture() {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (picture_.size() != size)
        picture_ = QImage(size, QImage::Format_RGB32);
    QPainter p(&picture_);
    const QColor fill =
        background_.value_or(player_ ? player_->backgroundColor() : QColor(Qt::white));
    if (!player_) {
        p.fillRect(picture_.rect(), fill);
    } else {
        QElapsedTimer clock;
        clock.start();
        player_->render(p, QRectF(picture_.rect()), renderOptions());
        renderMs_ += clock.nsecsElapsed() / 1e6;
    }
    pictureValid_ = true;
}

void FlashControl::PaintTo(QPainter& painter, const QPoint& origin) {
    if (!pictureValid_)
        renderPicture();
    painter.drawImage(origin, picture_);
}

void FlashControl::paintEvent(QPaintEvent*) {
    if (!pictureValid_)
        renderPicture();
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void FlashControl::resizeEvent(QResizeEvent*) {
    pictureChanged();
}

swf::RenderOptions FlashControl::renderOptions() const {
    swf::RenderOptions options;
    options.zoom = zoom_;
    options.backgroundOverride = background_;
    return options;
}

QPointF FlashControl::toStage(QPointF widgetPoint) const {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    bool invertible = false;
    const QTransform toWidget =
        player_->viewTransform(QRectF(QPointF(0, 0), QSizeF(size)), renderOptions());
    const QTransform toMovie = toWidget.inverted(&invertible);
    return invertible ? toMovie.map(widgetPoint) : QPointF();
}

void FlashControl::updateCursor() {
    swf::Stage* stage = player_ ? player_->stage() : nullptr;
    if (!stage || !started_) {
        unsetCursor();
        return;
    }
    if (stage->mouseHidden())
        setCursor(Qt::BlankCursor);
    else if (stage->cursor() == swf::Stage::Cursor::Hand)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void FlashControl::mouseMoveEvent(QMouseEvent* event) {
    if (!player_ || !started_ || !player_->stage())
        return QWidget::mouseMoveEvent(event);
    player_->stage()->mouseMove(toStage(event->position()));
    pictureChanged();
    updateCursor();
}

void FlashControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !player_ || !started_ || !player_->stage())
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    player_->stage()->mouseDown(toStage(event->position()));
    pictureChanged();
    updateCursor();
}

void FlashControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !player_ || !started_ || !player_->stage())
        return QWidget::mouseReleaseEvent(event);
    player_->stage()->mouseUp(toStage(event->position()));
    pictureChanged();
    updateCursor();
}

void FlashControl::leaveEvent(QEvent* event) {
    if (player_ && started_ && player_->stage()) {
        player_->stage()->mouseLeave();
        pictureChanged();
        updateCursor();
    }
    QWidget::leaveEvent(event);
}

void FlashControl::wheelEvent(QWheelEvent* event) {
    swf::Stage* stage = player_ && started_ ? player_->stage() : nullptr;
    // Three lines a notch, as Flash scrolls.
    const int lines = event->angleDelta().y() / 40;
    if (!stage || lines == 0)
        return QWidget::wheelEvent(event);
    stage->mouseWheel(toStage(event->position()), lines);
    pictureChanged();
    event->accept();
}

bool FlashControl::event(QEvent* event) {
    // Tab moves the focus inside the movie, not out of the control.
    if (event->type() == QEvent::KeyPress && player_ && started_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void FlashControl::keyPressEvent(QKeyEvent* event) {
    swf::Stage* stage = player_ && started_ ? player_->stage() : nullptr;
    const int code = flashKeyCode(*event);
    if (!stage || (code == 0 && asciiOf(*event) == 0))
        return QWidget::keyPressEvent(event);
    stage->keyDown(code, asciiOf(*event));
    pictureChanged();
    updateCursor();
    // The player's own keys (its menus' shortcuts) still reach the window.
    event->ignore();
}

void FlashControl::keyReleaseEvent(QKeyEvent* event) {
    swf::Stage* stage = player_ && started_ ? player_->stage() : nullptr;
    const int code = flashKeyCode(*event);
    if (!stage || (code == 0 && asciiOf(*event) == 0))
        return QWidget::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    stage->keyUp(code, asciiOf(*event));
    pictureChanged();
    event->ignore();
}

void FlashControl::inputMethodEvent(QInputMethodEvent* event) {
    swf::Stage* stage = player_ && started_ ? player_->stage() : nullptr;
    if (!stage || event->commitString().isEmpty())
        return QWidget::inputMethodEvent(event);
    stage->textInput(event->commitString());
    pictureChanged();
    event->accept();
}

QVariant FlashControl::inputMethodQuery(Qt::InputMethodQuery query) const {
    // The candidate window opens at the control; where the caret is inside the movie is the
    // movie's own business.
    if (query == Qt::ImEnabled)
        return true;
    return QWidget::inputMethodQuery(query);
}

} // namespace flash

#pragma once

// Capture of the movie picture into a picture file, and the multi-picture view: three mirror
// boxes beside the Flash control, in a two-by-two grid, that copy the control's current
// picture every 10 ms. The control paints its picture once per frame; the mirrors only copy
// it, so the movie is never rendered more than once.

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <stdexcept>

class QTimer;

namespace flash {
class TShockwaveFlash;
}
namespace playlist {
class FileDialog;
}
namespace skin {
class TSeSkinItem;
}

namespace app {

// A file could not be written: "Cannot create file %s".
class EFCreateError : public std::runtime_error {
public:
    explicit EFCreateError(const QString& path);
};

// A plain box that shows the Flash control's current picture at its top-left corner.
class MirrorBox : public QWidget {
    Q_OBJECT
public:
    MirrorBox(flash::TShockwaveFlash& flash, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    flash::TShockwaveFlash& flash_;
};

struct ToolsParts {
    flash::TShockwaveFlash& flash;
    QWidget& moviePanel; // Panel1
    playlist::FileDialog& saveDialog;
    skin::TSeSkinItem& multiPictureItem; // 多画面
    skin::TSeSkinItem& fullScreenItem;   // 全屏(F)
    QTimer& mirrorTimer;                 // Timer4
    std::function<void()> formResize;
    std::function<void()> panel1Resize;
};

class ToolsCommands : public QObject {
    Q_OBJECT
public:
    explicit ToolsCommands(ToolsParts parts, QObject* parent = nullptr);
    ~ToolsCommands() override;

    // The picture as a capture takes it: the movie panel's outer size with the control's
    // picture at (0, 0) over white.
    QImage grabPicture();
    // CustomItem66Click: takes the picture, then asks where to save it as BMP. Throws
    // EFCreateError when the file cannot be written.
    void Capture();

    // CustomItem67Click.
    void ToggleMultiPicture();
    bool multiPicture() const { return multiPicture_; }
    // Clears the flag (the window's start); the view itself is not touched.
    void clearMultiPictureFlag() { multiPicture_ = false; }
    void layoutGrid();
    void Timer4Timer();
    void Panel1Resize();
    const QList<QPointer<MirrorBox>>& mirrors() const { return mirrors_; }

    // Saves an image in the format its name asks for: PNG for ".png", JPEG for ".jpg" and
    // ".jpeg", a Windows bitmap for anything else. Throws EFCreateError.
    static void saveBitmap(const QImage& image, const QString& path);
    static QByteArray formatFor(const QString& path);

private:
    ToolsParts p_;
    bool multiPicture_ = false;
    QList<QPointer<MirrorBox>> mirrors_;
};

} // namespace app

#include "app/ToolsCommands.h"

#include "flash/host/TShockwaveFlash.h"
#include "playlist/FileDialog.h"
#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinItem.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>

namespace app {

EFCreateError::EFCreateError(const QString& path)
    : std::runtime_error(QStringLiteral("Cannot create file %1").arg(path).toStdString()) {}

MirrorBox::MirrorBox(flash::TShockwaveFlash& flash, QWidget* parent)
    : QWidget(parent), flash_(flash) {
    setObjectName(QStringLiteral("MirrorBox"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MirrorBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    flash_.PaintTo(painter, 0, 0);
}

ToolsCommands::ToolsCommands(ToolsParts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)) {}

ToolsCommands::~ToolsCommands() {
    for (const QPointer<MirrorBox>& box : std::as_const(mirrors_))
        delete box.data();
}

QImage ToolsCommands::grabPicture() {
    QImage image(p_.moviePanel.frameGeometry().size().expandedTo(QSize(1, 1)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    p_.flash.PaintTo(painter, 0, 0);
    return image;
}

QByteArray ToolsCommands::formatFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png"))
        return "PNG";
    if (suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg"))
        return "JPEG";
    return "BMP";
}

void ToolsCommands::saveBitmap(const QImage& image, const QString& path) {
    // Written beside the target and moved over it at the end, so a failed write never leaves
    // a broken file where an older capture was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(path);
    const QByteArray format = formatFor(path);
    QImageWriter writer(&file, format);
    if (format == "JPEG")
        writer.setQuality(90);
    if (!writer.write(image)) {
        file.cancelWriting();
        throw std::runtime_error(
            QStringLiteral("Cannot write %1: %2").arg(path, writer.errorString()).toStdString());
    }
    if (!file.commit())
        throw EFCreateError(path);
}

namespace {

bool isPictureName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("bmp") || suffix == QStringLiteral("png") ||
           suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg");
}

} // namespace

void ToolsCommands::Capture() {
    // The picture is taken before the dialog opens: the movie goes on playing behind it.
    const QImage image = grabPicture();
    playlist::FileDialog& dialog = p_.saveDialog;
    dialog.setFilter(QStringLiteral(".bmp|*.bmp"));
    dialog.setDefaultExt(QStringLiteral(".bmp"));
    // The shared dialog may still propose the last download's movie: a capture keeps its
    // folder but not a name that would store a picture under a movie's name.
    const QString previous = dialog.fileName();
    if (!previous.isEmpty() && !isPictureName(previous)) {
        const QFileInfo before(previous);
        dialog.setFileName(before.isAbsolute() ? before.absolutePath() + u'/' : QString());
    }
    if (!dialog.execute())
        return;
    saveBitmap(image, dialog.fileName());
}

void ToolsCommands::layoutGrid() {
    QWidget* control = p_.flash.widget();
    if (!control)
        return;
    const QSize outer = p_.moviePanel.frameGeometry().size();
    const int w = outer.width() / 2;
    const int h = outer.height() / 2;
    skin::setAlign(control, skin::TAlign::alNone);
    control->setGeometry(0, 0, w, h);
    if (p_.flash.Visible() && control->isEnabled())
        p_.flash.SetFocus();
    const QPoint places[] = {{w, 0}, {0, h}, {w, h}};
    int i = 0;
    for (const QPointer<MirrorBox>& box : std::as_const(mirrors_)) {
        if (!box)
            continue;
        box->setGeometry(QRect(places[i % 3], QSize(w, h)));
        ++i;
    }
}

void ToolsCommands::ToggleMultiPicture() {
    QCoreApplication::processEvents();
    skin::TSeSkinItem& item = p_.multiPictureItem;
    item.setChecked(!item.Checked());
    p_.fullScreenItem.setEnabled(!item.Checked());
    if (item.Checked()) {
        for (int i = 0; i < 3; ++i) {
            auto* box = new MirrorBox(p_.flash, &p_.moviePanel);
            box->show();
            mirrors_.append(box);
        }
        layoutGrid();
        p_.mirrorTimer.start();
        if (p_.formResize)
            p_.formResize();
        multiPicture_ = true;
    } else {
        multiPicture_ = false;
        p_.mirrorTimer.stop();
        for (const QPointer<MirrorBox>& box : std::as_const(mirrors_))
            delete box.data();
        mirrors_.clear();
        if (QWidget* control = p_.flash.widget())
            skin::setAlign(control, skin::TAlign::alClient);
    }
    if (p_.panel1Resize)
        p_.panel1Resize();
    if (p_.formResize)
        p_.formResize();
}

void ToolsCommands::Timer4Timer() {
    for (const QPointer<MirrorBox>& box : std::as_const(mirrors_))
        if (box)
            box->update();
    QWidget* control = p_.flash.widget();
    if (p_.flash.Visible() && control && control->isEnabled() && !control->hasFocus())
        p_.flash.SetFocus();
}

void ToolsCommands::Panel1Resize() {
    if (multiPicture_ && p_.flash.Visible())
        layoutGrid();
}

} // namespace app

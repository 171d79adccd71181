#include "flash/host/TShockwaveFlash.h"

#include "platform/ClassRegistry.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>
#include <utility>

namespace flash {
namespace {

QString hex(HRESULT code) {
    return QStringLiteral("0x%1").arg(static_cast<uint32_t>(code), 8, 16, QLatin1Char('0'));
}

} // namespace

EOleSysError::EOleSysError(const QString& message, HRESULT code)
    : std::runtime_error(message.toStdString()), code_(code) {}

EOleException::EOleException(const QString& message, HRESULT code)
    : std::runtime_error(message.toStdString()), code_(code) {}

TShockwaveFlash::TShockwaveFlash(QWidget* parent) {
    const QString classKey = QStringLiteral("CLSID\\") + QLatin1String(kClassId);
    const platform::ClassRegistry registry;
    const auto server = registry.value(classKey + QStringLiteral("\\InprocServer32"));
    if (!server || server->isEmpty())
        throw EOleSysError(QStringLiteral("Class not registered"), REGDB_E_CLASSNOTREG);

    // The control's classes live in the library, so it stays mapped for the whole run.
    library_ = std::make_shared<platform::DynamicLibrary>(*server, true);
    if (!library_->isLoaded())
        throw EOleSysError(QStringLiteral("Cannot load %1: %2").arg(*server, library_->errorText()),
                           REGDB_E_CLASSNOTREG);
    const auto getClassObject = library_->function<DllGetClassObjectFn>("DllGetClassObject");
    if (!getClassObject)
        throw EOleSysError(QStringLiteral("%1 is not a control library").arg(*server),
                           CLASS_E_CLASSNOTAVAILABLE);
    void* factory = nullptr;
    HRESULT hr = getClassObject(kClassId, kClassFactoryIid, &factory);
    if (!Succeeded(hr) || !factory)
        throw EOleSysError(QStringLiteral("Class not available (%1)").arg(hex(hr)), hr);
    hr = static_cast<IClassFactory*>(factory)->CreateInstance(parent, &control_);
    if (!Succeeded(hr) || !control_)
        throw EOleSysError(QStringLiteral("Cannot create the control (%1)").arg(hex(hr)), hr);
    window_ = control_->Widget();
    control_->SetSite(this);
}

TShockwaveFlash::~TShockwaveFlash() {
    DestroyWindow();
}

QVariant TShockwaveFlash::invoke(int dispId, InvokeKind kind, const QVariantList& args) {
    if (!alive())
        throw EOleException(QStringLiteral("The control's window has been destroyed"), E_FAIL);
    if (OnInvoke)
        OnInvoke(dispId, args);
    QVariant result;
    QString error;
    const HRESULT hr = control_->Invoke(dispId, kind, args, &result, &error);
    if (!Succeeded(hr))
        throw EOleException(
            error.isEmpty() ? QStringLiteral("Call failed (%1)").arg(hex(hr)) : error, hr);
    return result;
}

void TShockwaveFlash::set_Movie(const QString& movie) {
    invoke(DISPID_Movie, InvokeKind::PropertyPut, {movie});
}
bool TShockwaveFlash::get_Playing() {
    return invoke(DISPID_Playing, InvokeKind::PropertyGet).toBool();
}
void TShockwaveFlash::set_Playing(bool playing) {
    invoke(DISPID_Playing, InvokeKind::PropertyPut, {playing});
}
void TShockwaveFlash::set_Quality(int quality) {
    invoke(DISPID_Quality, InvokeKind::PropertyPut, {quality});
}
int TShockwaveFlash::get_Quality() {
    return invoke(DISPID_Quality, InvokeKind::PropertyGet).toInt();
}
void TShockwaveFlash::set_Quality2(const QString& quality) {
    invoke(DISPID_Quality2, InvokeKind::PropertyPut, {quality});
}
QString TShockwaveFlash::get_Quality2() {
    return invoke(DISPID_Quality2, InvokeKind::PropertyGet).toString();
}
void TShockwaveFlash::set_BackgroundColor(int color) {
    invoke(DISPID_BackgroundColor, InvokeKind::PropertyPut, {color});
}
int TShockwaveFlash::get_TotalFrames() {
    return invoke(DISPID_TotalFrames, InvokeKind::PropertyGet).toInt();
}
void TShockwaveFlash::Zoom(int factor) {
    invoke(DISPID_Zoom, InvokeKind::Method, {factor});
}
void TShockwaveFlash::Play() {
    invoke(DISPID_Play, InvokeKind::Method);
}
void TShockwaveFlash::Stop() {
    invoke(DISPID_Stop, InvokeKind::Method);
}
void TShockwaveFlash::Rewind() {
    invoke(DISPID_Rewind, InvokeKind::Method);
}
void TShockwaveFlash::GotoFrame(int frame) {
    invoke(DISPID_GotoFrame, InvokeKind::Method, {frame});
}
int TShockwaveFlash::CurrentFrame() {
    return invoke(DISPID_CurrentFrame, InvokeKind::Method).toInt();
}
bool TShockwaveFlash::IsPlaying() {
    return invoke(DISPID_IsPlaying, InvokeKind::Method).toBool();
}
int TShockwaveFlash::PercentLoaded() {
    return invoke(DISPID_PercentLoaded, InvokeKind::Method).toInt();
}

QWidget* TShockwaveFlash::widget() const {
    return window_.data();
}

void TShockwaveFlash::Show() {
    if (alive())
        window_->show();
}
void TShockwaveFlash::Hide() {
    if (alive())
        window_->hide();
}
bool TShockwaveFlash::Visible() const {
    return alive() && window_->isVisible();
}
void TShockwaveFlash::SetEnabled(bool enabled) {
    if (alive())
        window_->setEnabled(enabled);
}
void TShockwaveFlash::SetBounds(const QRect& bounds) {
    if (alive())
        window_->setGeometry(bounds);
}
void TShockwaveFlash::SetFocus() {
    if (alive())
        window_->setFocus(Qt::OtherFocusReason);
}
void TShockwaveFlash::PaintTo(QPainter& painter, int x, int y) {
    if (alive())
        control_->PaintTo(painter, QPoint(x, y));
}

void TShockwaveFlash::OpenUrl(const QString& url, const QString& target) {
    if (OnGetURL) {
        OnGetURL(url, target);
        return;
    }
    // The engine passes only http, https and mailto addresses.
    QDesktopServices::openUrl(QUrl(url));
}

void TShockwaveFlash::FSCommand(const QString& command, const QString& args) {
    if (OnFSCommand)
        OnFSCommand(command, args);
}

void TShockwaveFlash::StatusText(const QString& text) {
    if (OnStatusText)
        OnStatusText(text);
}

void TShockwaveFlash::DestroyWindow() {
    IFlashControl* c = std::exchange(control_, nullptr);
    if (c && window_) {
        c->SetSite(nullptr);
        c->Release();
    }
    window_ = nullptr;
}

} // namespace flash

#pragma once

// The player's side of the Flash control: creates the instance through the class registry
// (the control's library is found under its class id) and calls every property and method by
// its dispatch id. A failing call throws EOleException at the call site.

#include "flash/ControlAbi.h"
#include "platform/DynamicLibrary.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>

class QPainter;

namespace flash {

// Creating the control failed: its class is not registered or its library cannot be used.
// Start-up answers this by provisioning the control.
class EOleSysError : public std::runtime_error {
public:
    EOleSysError(const QString& message, HRESULT code);
    HRESULT ErrorCode() const { return code_; }

private:
    HRESULT code_;
};

// A call on a created control failed.
class EOleException : public std::runtime_error {
public:
    EOleException(const QString& message, HRESULT code);
    HRESULT ErrorCode() const { return code_; }

private:
    HRESULT code_;
};

class TShockwaveFlash : private IFlashControlSite {
public:
    // Creates the control as a child of parent. Throws EOleSysError when the class id has no
    // usable registration.
    explicit TShockwaveFlash(QWidget* parent);
    ~TShockwaveFlash();
    TShockwaveFlash(const TShockwaveFlash&) = delete;
    TShockwaveFlash& operator=(const TShockwaveFlash&) = delete;

    // Properties.
    void set_Movie(const QString& movie);
    bool get_Playing();
    void set_Playing(bool playing);
    // 0 low, 1 high, 2 autolow, 3 autohigh.
    void set_Quality(int quality);
    int get_Quality();
    // "low", "medium", "high", "best", "autolow" or "autohigh".
    void set_Quality2(const QString& quality);
    QString get_Quality2();
    void set_BackgroundColor(int color);
    int get_TotalFrames();
    // Methods.
    void Zoom(int factor);
    void Play();
    void Stop();
    void Rewind();
    void GotoFrame(int frame);
    int CurrentFrame();
    bool IsPlaying();
    int PercentLoaded();

    // The child window.
    QWidget* widget() const;
    bool isDestroyed() const { return !alive(); }
    void Show();
    void Hide();
    bool Visible() const;
    void SetEnabled(bool enabled);
    void SetBounds(const QRect& bounds);
    void SetFocus();
    void PaintTo(QPainter& painter, int x, int y);
    // Destroys the control's window; every later call fails.
    void DestroyWindow();

    // Sees every call before it reaches the control: dispatch id and arguments. For tracing
    // what the player asks of the control.
    std::function<void(int dispId, const QVariantList& args)> OnInvoke;

    // The control's own events. A page the movie asks for opens in the desktop's browser
    // unless OnGetURL is set; fscommand and status text reach no one unless set.
    std::function<void(const QString& url, const QString& target)> OnGetURL;
    std::function<void(const QString& command, const QString& args)> OnFSCommand;
    std::function<void(const QString& text)> OnStatusText;

private:
    void OpenUrl(const QString& url, const QString& target) override;
    void FSCommand(const QString& command, const QString& args) override;
    void StatusText(const QString& text) override;

    QVariant invoke(int dispId, InvokeKind kind, const QVariantList& args = {});

    // The window may also go with its parent; the guard notices that.
    bool alive() const { return control_ && window_; }

    std::shared_ptr<platform::DynamicLibrary> library_;
    IFlashControl* control_ = nullptr;
    QPointer<QWidget> window_;
};

} // namespace flash

#pragma once

// The binary interface between the player and the Flash control plugin (swflash): the class
// id, the dispatch ids of the properties and methods the player uses, the status codes, and
// the plugin's four C exports. Both sides are built from this header with the same compiler
// and the same Qt, so the instance interface is a plain C++ abstract class.

#include <QString>
#include <QVariant>
#include <cstdint>

class QPainter;
class QPoint;
class QWidget;

namespace flash {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

inline bool Succeeded(HRESULT hr) {
    return hr >= 0;
}

inline constexpr char kClassId[] = "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
inline constexpr char kProgId[] = "ShockwaveFlash.ShockwaveFlash";
inline constexpr char kClassFactoryIid[] = "IClassFactory";

enum DispId : int {
    DISPID_Movie = 102,
    DISPID_Quality = 105,
    DISPID_Zoom = 118,
    DISPID_Play = 112,
    DISPID_Stop = 113,
    DISPID_Rewind = 116,
    DISPID_BackgroundColor = 123,
    DISPID_TotalFrames = 124,
    DISPID_Playing = 125,
    DISPID_GotoFrame = 127,
    DISPID_CurrentFrame = 128,
    DISPID_IsPlaying = 129,
    DISPID_PercentLoaded = 130,
    DISPID_Quality2 = 141,
};

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// What the control tells the window that holds it: pages the movie asks to open, the
// fscommand events it passes on, and text for the holder's status line. Called on the
// user-interface thread.
class IFlashControlSite {
public:
    // getURL of an http, https or mailto address; target is the window name the movie gave
    // ("_blank", "_self", a named window or empty).
    virtual void OpenUrl(const QString& url, const QString& target) = 0;
    // fscommand quit, fullscreen, allowscale, showmenu or trapallkeys (lower case).
    virtual void FSCommand(const QString& command, const QString& args) = 0;
    // Something the person watching should know, such as a script stopped for running too long.
    virtual void StatusText(const QString& text) = 0;

protected:
    ~IFlashControlSite() = default;
};

// One control instance. It lives on the user-interface thread; its window is a child of the
// parent given at creation. Release() destroys the instance and its window.
class IFlashControl {
public:
    virtual QWidget* Widget() = 0;
    // Calls a property or method by dispatch id. On failure returns an error status and, when
    // errorText is given, a message saying why.
    virtual HRESULT Invoke(int dispId, InvokeKind kind, const QVariantList& args, QVariant* result,
                           QString* errorText) = 0;
    // Draws the picture currently shown, at origin, without rendering the movie again.
    virtual void PaintTo(QPainter& painter, const QPoint& origin) = 0;
    // Where the control's events go; null stops them. Not owned; must outlive the control or
    // be reset before it goes.
    virtual void SetSite(IFlashControlSite* site) = 0;
    virtual void Release() = 0;

protected:
    ~IFlashControl() = default;
};

class IClassFactory {
public:
    virtual HRESULT CreateInstance(QWidget* parent, IFlashControl** out) = 0;

protected:
    ~IClassFactory() = default;
};

using DllGetClassObjectFn = HRESULT (*)(const char* clsid, const char* iid, void** out);
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
using DllCanUnloadNowFn = HRESULT (*)();

} // namespace flash

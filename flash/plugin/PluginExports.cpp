// The four entry points through which the player (and the regsvr32 helper) reach the control.

#include "flash/ControlAbi.h"
#include "flash/plugin/FlashControl.h"
#include "platform/ClassRegistry.h"

#include <QString>
#include <cstring>
#include <dlfcn.h>

using namespace flash;

namespace {

class ClassFactory final : public IClassFactory {
public:
    HRESULT CreateInstance(QWidget* parent, IFlashControl** out) override {
        if (!out)
            return E_POINTER;
        *out = new FlashControl(parent); // owned by the caller through Release()
        return S_OK;
    }
};

ClassFactory g_factory;

QString ownLibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&g_factory), &info) == 0 || !info.dli_fname)
        return {};
    return QString::fromLocal8Bit(info.dli_fname);
}

QString classKey() {
    return QStringLiteral("CLSID\\") + QLatin1String(kClassId);
}

} // namespace

#define QUARVEL_EXPORT extern "C" __attribute__((visibility("default")))

QUARVEL_EXPORT HRESULT DllGetClassObject(const char* clsid, const char* iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!clsid ||
        QString::fromLatin1(clsid).compare(QLatin1String(kClassId), Qt::CaseInsensitive) != 0)
        return CLASS_E_CLASSNOTAVAILABLE;
    if (!iid || std::strcmp(iid, kClassFactoryIid) != 0)
        return E_INVALIDARG;
    *out = static_cast<IClassFactory*>(&g_factory);
    return S_OK;
}

QUARVEL_EXPORT HRESULT DllRegisterServer() {
    const QString path = ownLibraryPath();
    if (path.isEmpty())
        return SELFREG_E_CLASS;
    platform::ClassRegistry registry;
    const QString name = QStringLiteral("Shockwave Flash Object");
    const bool ok = registry.setValue(classKey(), name) &&
                    registry.setValue(classKey() + "\\InprocServer32", path) &&
                    registry.setValue(classKey() + "\\ProgID", QLatin1String(kProgId)) &&
                    registry.setValue(QLatin1String(kProgId), name) &&
                    registry.setValue(QLatin1String(kProgId) + "\\CLSID", QLatin1String(kClassId));
    return ok ? S_OK : SELFREG_E_CLASS;
}

QUARVEL_EXPORT HRESULT DllUnregisterServer() {
    platform::ClassRegistry registry;
    const bool ok = registry.removeTree(classKey()) && registry.removeTree(QLatin1String(kProgId));
    return ok ? S_OK : SELFREG_E_CLASS;
}

QUARVEL_EXPORT HRESULT DllCanUnloadNow() {
    return FlashControl::liveInstances() == 0 ? S_OK : S_FALSE;
}

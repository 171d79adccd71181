// regsvr32 [/s] [/u] LIBRARY
// Loads a control library and calls its DllRegisterServer (or DllUnregisterServer with /u).
// Exits 0 on success. Without /s it says what happened.

#include "flash/ControlAbi.h"
#include "platform/DynamicLibrary.h"

#include <QString>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    bool silent = false;
    bool unregister = false;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/s") == 0 || std::strcmp(argv[i], "/S") == 0)
            silent = true;
        else if (std::strcmp(argv[i], "/u") == 0 || std::strcmp(argv[i], "/U") == 0)
            unregister = true;
        else
            file = argv[i];
    }
    auto say = [silent](const QString& text) {
        if (!silent)
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    if (!file) {
        say(QStringLiteral("usage: regsvr32 [/s] [/u] LIBRARY"));
        return 2;
    }
    const QString path = QString::fromLocal8Bit(file);
    platform::DynamicLibrary library(path);
    if (!library.isLoaded()) {
        say(QStringLiteral("The module \"%1\" failed to load: %2").arg(path, library.errorText()));
        return 3;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto fn = library.function<flash::DllRegisterServerFn>(entry);
    if (!fn) {
        say(QStringLiteral("The entry point %1 was not found in \"%2\".").arg(entry, path));
        return 4;
    }
    const flash::HRESULT hr = fn();
    if (!flash::Succeeded(hr)) {
        say(QStringLiteral("%1 in \"%2\" failed with code 0x%3.")
                .arg(entry, path)
                .arg(static_cast<uint32_t>(hr), 8, 16, QLatin1Char('0')));
        return 5;
    }
    say(QStringLiteral("%1 in \"%2\" succeeded.").arg(entry, path));
    return 0;
}

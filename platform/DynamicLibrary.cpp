#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

namespace platform {

DynamicLibrary::DynamicLibrary(const QString& path, bool keepLoaded) {
    dlerror();
    handle_ = dlopen(path.toLocal8Bit().constData(),
                     RTLD_NOW | RTLD_LOCAL | (keepLoaded ? RTLD_NODELETE : 0));
    if (!handle_) {
        const char* e = dlerror();
        error_ = e ? QString::fromLocal8Bit(e) : QStringLiteral("cannot load %1").arg(path);
    }
}

DynamicLibrary::~DynamicLibrary() {
    unload();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

void DynamicLibrary::unload() {
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

} // namespace platform

#pragma once

// A loaded shared library (dlopen/dlsym/dlclose in place of LoadLibrary, GetProcAddress and
// FreeLibrary). The library stays loaded while the object lives.

#include <QString>

namespace platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    // Loads the file; check isLoaded() and errorText() afterwards. With keepLoaded the code
    // stays mapped after unloading, for libraries whose classes may outlive the handle (Qt
    // keeps pointers into a plugin's meta-objects).
    explicit DynamicLibrary(const QString& path, bool keepLoaded = false);
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    bool isLoaded() const { return handle_ != nullptr; }
    const QString& errorText() const { return error_; }
    void* symbol(const char* name) const;
    template <typename Fn> Fn function(const char* name) const {
        return reinterpret_cast<Fn>(symbol(name));
    }
    void unload();

private:
    void* handle_ = nullptr;
    QString error_;
};

} // namespace platform

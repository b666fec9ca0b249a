#pragma once
// A system library opened by its soname when something first needs it, and kept for the rest of
// the process. Programs that never need it (a thumbnailer run for a JPEG preview) do not pay for
// loading and relocating it, and its dependencies, at start.

#include <dlfcn.h>

namespace tavrin::system {

class LazyLibrary {
  public:
    explicit LazyLibrary(const char* soname) : handle_(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // Points function at the library's symbol name; false when the library or the symbol is
    // missing.
    template <typename FunctionPointer>
    bool bind(FunctionPointer& function, const char* name) const {
        function = handle_ ? reinterpret_cast<FunctionPointer>(::dlsym(handle_, name)) : nullptr;
        return function != nullptr;
    }

  private:
    void* handle_;  // never closed: code of the library may still run from atexit handlers
};

}  // namespace tavrin::system

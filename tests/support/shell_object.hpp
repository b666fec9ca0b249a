#pragma once
// The built shell object, registered in the test's temporary registry, and its thumbnail path
// driven as a file manager drives it.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/imaging/gdi_handles.hpp"

namespace tavrin::test {

class RegisteredShellObject {
  public:
    RegisteredShellObject() : module_(::dlopen(TAVRIN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (!module_) return;
        auto registerServer =
            reinterpret_cast<com::HRESULT (*)()>(::dlsym(module_, "DllRegisterServer"));
        ok_ = registerServer && registerServer() == com::S_OK &&
              com::CLSIDFromProgID("Tavrin.RawImageExtractor", &clsid_) == com::S_OK;
    }
    ~RegisteredShellObject() {
        if (module_) ::dlclose(module_);
    }
    RegisteredShellObject(const RegisteredShellObject&) = delete;
    RegisteredShellObject& operator=(const RegisteredShellObject&) = delete;

    bool ok() const { return ok_; }

    // A new object with the file loaded, its box set (0: natural size), then Extract.
    struct Thumbnail {
        com::HRESULT result;
        imaging::BitmapHandle bitmap;
    };
    Thumbnail thumbnail(const std::filesystem::path& file, int box, com::DWORD flags) const {
        com::ComPtr<com::IPersistFile> persist;
        com::CoCreateInstance(clsid_, nullptr, com::CLSCTX_INPROC_SERVER, com::IID_IPersistFile,
                              persist.out());
        if (!persist) return {com::E_FAIL, {}};
        persist->Load(com::toWide(file.string()).c_str(), 0);
        com::ComPtr<com::IExtractImage2> extract;
        persist->QueryInterface(com::IID_IExtractImage2, extract.out());
        if (box > 0) {
            const com::SIZE size{box, box};
            com::DWORD priority = 0;
            com::WCHAR path[260];
            extract->GetLocation(path, 260, &priority, &size, 24, &flags);
        }
        com::HBITMAP handle = nullptr;
        const com::HRESULT hr = extract->Extract(&handle);
        return {hr, imaging::BitmapHandle(handle)};
    }

  private:
    void* module_;
    bool ok_ = false;
    com::CLSID clsid_{};
};

}  // namespace tavrin::test

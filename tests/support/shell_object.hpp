#pragma once
// The built shell object, registered in the test's temporary registry, and its thumbnail path
// driven as a file manager drives it.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

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
        com::ComPtr<com::IPersistFile> persist = load(file);
        if (!persist) return {com::E_FAIL, {}};
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

    // A new object with the file loaded, asked for its info tip; the text freed as the shell frees
    // it.
    std::optional<std::string> infoTip(const std::filesystem::path& file) const {
        com::ComPtr<com::IPersistFile> persist = load(file);
        com::ComPtr<com::IQueryInfo> query;
        if (persist) persist->QueryInterface(com::IID_IQueryInfo, query.out());
        com::LPWSTR text = nullptr;
        if (!query || query->GetInfoTip(0, &text) != com::S_OK || !text) return std::nullopt;
        std::string tip = com::fromWide(text);
        com::IMalloc* malloc = nullptr;
        com::SHGetMalloc(&malloc);
        malloc->Free(text);
        malloc->Release();
        return tip;
    }

    // A new object with the file loaded, asked for its property pages as a properties dialog
    // asks.
    com::HRESULT addPages(const std::filesystem::path& file, ui::LPFNADDPROPSHEETPAGE addPage,
                          ui::LPARAM param) const {
        com::ComPtr<com::IPersistFile> persist = load(file);
        com::ComPtr<com::IShellPropSheetExt> sheet;
        if (persist) persist->QueryInterface(com::IID_IShellPropSheetExt, sheet.out());
        return sheet ? sheet->AddPages(addPage, param) : com::E_FAIL;
    }

    com::ComPtr<com::IColumnProvider> columnProvider() const {
        com::ComPtr<com::IColumnProvider> provider;
        com::CoCreateInstance(clsid_, nullptr, com::CLSCTX_INPROC_SERVER, com::IID_IColumnProvider,
                              provider.out());
        return provider;
    }

  private:
    com::ComPtr<com::IPersistFile> load(const std::filesystem::path& file) const {
        com::ComPtr<com::IPersistFile> persist;
        com::CoCreateInstance(clsid_, nullptr, com::CLSCTX_INPROC_SERVER, com::IID_IPersistFile,
                              persist.out());
        if (persist) persist->Load(com::toWide(file.string()).c_str(), 0);
        return persist;
    }

    void* module_;
    bool ok_ = false;
    com::CLSID clsid_{};
};

}  // namespace tavrin::test

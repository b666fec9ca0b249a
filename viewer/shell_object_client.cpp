#include "viewer/shell_object_client.hpp"

#include "platform/com/activation.hpp"
#include "platform/com/shell_interfaces.hpp"
#include "platform/com/wide_text.hpp"
#include "platform/imaging/gdi_handles.hpp"

namespace tavrin::viewer {

namespace {

using namespace com;

constexpr std::string_view kProgId = "Tavrin.RawImageExtractor";

// A new object with the file loaded.
ComPtr<IUnknown> loadedObject(const std::filesystem::path& file) {
    CLSID clsid;
    ComPtr<IUnknown> object;
    if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
        FAILED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()))) {
        return {};
    }
    ComPtr<IPersistFile> persist;
    if (FAILED(object->QueryInterface(IID_IPersistFile, persist.out())) ||
        FAILED(persist->Load(toWide(file.string()).c_str(), 0))) {
        return {};
    }
    return object;
}

// Extract of an object with the file loaded, after GetLocation when box is not 0.
std::unique_ptr<imaging::Bitmap> extract(const std::filesystem::path& file, int box) {
    ComPtr<IUnknown> object = loadedObject(file);
    ComPtr<IExtractImage> extract;
    if (!object || FAILED(object->QueryInterface(IID_IExtractImage, extract.out()))) return {};
    if (box > 0) {
        const SIZE size{box, box};
        DWORD priority = 0, flags = IEIFLAG_ORIGSIZE;
        WCHAR path[260];
        if (FAILED(extract->GetLocation(path, 260, &priority, &size, 24, &flags))) return {};
    }
    HBITMAP handle = nullptr;
    if (FAILED(extract->Extract(&handle))) {
        imaging::DeleteObject(handle);
        return {};
    }
    return imaging::takeBitmap(handle);
}

}  // namespace

std::unique_ptr<imaging::Bitmap> embeddedPreview(const std::filesystem::path& file) {
    return extract(file, 0);
}

std::unique_ptr<imaging::Bitmap> thumbnail(const std::filesystem::path& file, int box) {
    return extract(file, box);
}

std::string infoText(const std::filesystem::path& file) {
    ComPtr<IUnknown> object = loadedObject(file);
    ComPtr<IQueryInfo> query;
    if (!object || FAILED(object->QueryInterface(IID_IQueryInfo, query.out()))) return {};
    LPWSTR tip = nullptr;
    if (FAILED(query->GetInfoTip(0, &tip)) || !tip) return {};
    std::string text = fromWide(tip);
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(tip);
        malloc->Release();
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

}  // namespace tavrin::viewer

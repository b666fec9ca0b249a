#include "platform/com/data_object.hpp"

#include <cstring>
#include <string_view>

#include "platform/com/object.hpp"

namespace tavrin::com {
namespace {

class FileListDataObject final : public ComObject<IDataObject> {
  public:
    explicit FileListDataObject(const std::vector<std::string>& paths) : paths_(paths) {}

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        if (const HRESULT hr = QueryGetData(format); hr != S_OK) return hr;
        std::size_t size = sizeof(DROPFILES) + 1;
        for (const auto& p : paths_)
            size += p.size() + 1;
        HGLOBAL block = GlobalAlloc(GHND, size);
        if (!block) return E_OUTOFMEMORY;
        auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
        DROPFILES header{sizeof(DROPFILES), {0, 0}, 0, 0};
        std::memcpy(bytes, &header, sizeof header);
        std::size_t at = sizeof header;
        for (const auto& p : paths_) {
            std::memcpy(bytes + at, p.data(), p.size());
            at += p.size() + 1;  // the zero is already there
        }
        GlobalUnlock(block);
        *medium = STGMEDIUM{TYMED_HGLOBAL, block, nullptr};
        return S_OK;
    }
    HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
        if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        return S_OK;
    }
    HRESULT GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, void**) override { return E_NOTIMPL; }
    HRESULT DAdvise(FORMATETC*, DWORD, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumDAdvise(void**) override { return E_NOTIMPL; }

  private:
    std::vector<std::string> paths_;
};

}  // namespace

IDataObject* createFileListDataObject(const std::vector<std::string>& paths) {
    return new FileListDataObject(paths);
}

UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size) {
    const std::size_t total = GlobalSize(drop);
    const auto* bytes = static_cast<const char*>(GlobalLock(drop));
    if (!bytes || total < sizeof(DROPFILES)) {
        if (bytes) GlobalUnlock(drop);
        return 0;
    }
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    UINT count = 0;
    UINT result = 0;
    std::size_t at = header.pFiles;
    while (at < total && bytes[at] != '\0') {
        const auto end = std::string_view(bytes + at, total - at).find('\0');
        if (end == std::string_view::npos) break;  // an unterminated name is not a name
        if (count == index) {
            const std::string_view name(bytes + at, end);
            if (!buffer) {
                result = static_cast<UINT>(name.size());
            } else if (size > 0) {
                result = static_cast<UINT>(std::min<std::size_t>(name.size(), size - 1));
                std::memcpy(buffer, name.data(), result);
                buffer[result] = '\0';
            }
        }
        ++count;
        at += end + 1;
    }
    GlobalUnlock(drop);
    return index == 0xFFFFFFFF ? count : result;
}

void ReleaseStgMedium(STGMEDIUM* medium) {
    if (!medium) return;
    if (medium->pUnkForRelease) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->hGlobal);
    }
    *medium = STGMEDIUM{0, nullptr, nullptr};
}

}  // namespace tavrin::com

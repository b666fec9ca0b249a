#include "hosts/tavrin/thumbnail_maker.hpp"

#include "hosts/tavrin/shell_object.hpp"
#include "platform/com/wide_text.hpp"

namespace tavrin::host {

using namespace com;

std::string Thumbnail::why() const {
    const char* reason;
    switch (result) {
        case E_NOTIMPL:
            reason = "no embedded preview, and no raw data Tavrin can decode";
            break;
        case E_OUTOFMEMORY:
            reason = "its picture is damaged or too large to decode";
            break;
        default:
            reason = "it holds no picture Tavrin can read";
            break;
    }
    return std::string(reason) + " (" + hex(result) + ")";
}

bool ThumbnailMaker::open(Io io) {
    ComPtr<IPersistFile> object;
    return SUCCEEDED(createShellObject(object, io)) &&
           SUCCEEDED(object->QueryInterface(IExtractImage2::kIid, extract_.out()));
}

void ThumbnailMaker::load(const std::string& path) {
    ComPtr<IPersistFile> persist;
    if (SUCCEEDED(extract_->QueryInterface(IPersistFile::kIid, persist.out())))
        persist->Load(toWide(path).c_str(), 0);
}

Thumbnail ThumbnailMaker::extract(int size, bool canvas) {
    if (size > 0) {
        const SIZE box{size, size};
        DWORD priority = 0;
        DWORD flags = canvas ? 0 : IEIFLAG_ORIGSIZE;
        WCHAR path[260];
        extract_->GetLocation(path, 260, &priority, &box, 24, &flags);
    }
    HBITMAP bitmap = nullptr;
    Thumbnail thumbnail;
    thumbnail.result = extract_->Extract(&bitmap);
    thumbnail.bitmap.reset(bitmap);
    if (FAILED(thumbnail.result)) thumbnail.bitmap.reset();
    if (!thumbnail.bitmap && SUCCEEDED(thumbnail.result)) thumbnail.result = E_FAIL;
    return thumbnail;
}

}  // namespace tavrin::host

#include "platform/imaging/gdi_handles.hpp"

#include <new>

namespace tavrin::imaging {

struct GdiBitmap {
    std::unique_ptr<Bitmap> pixels;
};

HBITMAP createHBitmap(std::unique_ptr<Bitmap> bitmap, std::uint32_t) {
    // Our bitmaps are opaque, so the background never shows through.
    if (!bitmap) return nullptr;
    return new (std::nothrow) GdiBitmap{std::move(bitmap)};
}

const Bitmap* bitmapOf(HBITMAP handle) {
    return handle ? handle->pixels.get() : nullptr;
}

std::unique_ptr<Bitmap> bitmapFromHBitmap(HBITMAP handle) {
    return handle ? handle->pixels->clone() : nullptr;
}

std::unique_ptr<Bitmap> takeBitmap(HBITMAP handle) {
    if (!handle) return nullptr;
    std::unique_ptr<Bitmap> pixels = std::move(handle->pixels);
    delete handle;
    return pixels;
}

bool DeleteObject(HBITMAP handle) {
    if (!handle) return false;
    delete handle;
    return true;
}

}  // namespace tavrin::imaging

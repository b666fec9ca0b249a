#pragma once
// GDI bitmap handles: what the shell object hands out of Extract and the caller frees.

#include <cstdint>
#include <memory>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

struct GdiBitmap;
using HBITMAP = GdiBitmap*;

// A new handle that takes over the bitmap, laid over an opaque background colour; the caller
// owns the handle. Nothing for a null bitmap or when memory runs out.
HBITMAP createHBitmap(std::unique_ptr<Bitmap> bitmap, std::uint32_t backgroundArgb);
// The pixels behind a handle (nothing for a null handle).
const Bitmap* bitmapOf(HBITMAP handle);
// A new bitmap with the handle's pixels.
std::unique_ptr<Bitmap> bitmapFromHBitmap(HBITMAP handle);
// The handle's pixels, taken over without a copy; the handle is freed.
std::unique_ptr<Bitmap> takeBitmap(HBITMAP handle);
// Frees a handle; false for a null handle.
bool DeleteObject(HBITMAP handle);

// Owns a handle and frees it when it goes out of scope.
class BitmapHandle {
  public:
    BitmapHandle() = default;
    explicit BitmapHandle(HBITMAP handle) : handle_(handle) {}
    BitmapHandle(BitmapHandle&& o) noexcept : handle_(o.release()) {}
    BitmapHandle& operator=(BitmapHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~BitmapHandle() { reset(); }

    HBITMAP get() const { return handle_; }
    HBITMAP release() {
        HBITMAP h = handle_;
        handle_ = nullptr;
        return h;
    }
    void reset(HBITMAP handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HBITMAP handle_ = nullptr;
};

}  // namespace tavrin::imaging

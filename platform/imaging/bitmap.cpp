#include "platform/imaging/bitmap.hpp"

#include <cstring>
#include <new>

#include "platform/imaging/resample.hpp"

namespace tavrin::imaging {

bool Bitmap::sizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           width * height <= kMaxPixels;
}

bool Bitmap::sizeAllowed(std::int64_t width, std::int64_t height, std::size_t dataBytes) {
    if (!sizeAllowed(width, height)) return false;
    const std::int64_t pixels = width * height;
    return pixels <= kSmallPicture ||
           pixels / kMaxPixelsPerByte <= static_cast<std::int64_t>(dataBytes);
}

std::unique_ptr<Bitmap> Bitmap::createUnfilled(int width, int height) {
    if (!sizeAllowed(width, height)) return nullptr;
    try {
        const std::size_t stride = strideFor(width);
        auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(stride * height);
        const std::size_t used = static_cast<std::size_t>(width) * 3;
        if (used < stride) {
            for (std::size_t at = used; at < stride * height; at += stride)
                std::memset(&pixels[at], 0, stride - used);
        }
        return std::unique_ptr<Bitmap>(new Bitmap(width, height, std::move(pixels)));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<Bitmap> Bitmap::create(int width, int height) {
    auto bitmap = createUnfilled(width, height);
    if (bitmap)
        std::memset(bitmap->pixels_.get(), 0, static_cast<std::size_t>(bitmap->stride_) * height);
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::fromPixels(int width, int height, int stride,
                                           const std::uint8_t* bgr) {
    if (!bgr || stride < width * 3) return nullptr;
    auto bitmap = createUnfilled(width, height);
    if (!bitmap) return nullptr;
    for (int y = 0; y < height; ++y) {
        std::memcpy(bitmap->row(y), bgr + static_cast<std::size_t>(y) * stride,
                    static_cast<std::size_t>(width) * 3);
    }
    return bitmap;
}

Status Bitmap::lockBits(const Rect& rect, LockMode, BitmapData& data) {
    if (rect.x < 0 || rect.y < 0 || rect.width <= 0 || rect.height <= 0 ||
        rect.width > width_ - rect.x || rect.height > height_ - rect.y) {
        return Status::InvalidParameter;
    }
    if (locked_) return Status::WrongState;
    locked_ = true;
    data = BitmapData{rect.width, rect.height, stride_, row(rect.y) + rect.x * 3};
    return Status::Ok;
}

Status Bitmap::unlockBits(BitmapData& data) {
    if (!locked_) return Status::WrongState;
    locked_ = false;
    data = BitmapData{};
    return Status::Ok;
}

void Bitmap::clear(std::uint32_t argb) {
    const std::uint8_t b = argb & 0xFF, g = (argb >> 8) & 0xFF, r = (argb >> 16) & 0xFF;
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = row(y);
        for (int x = 0; x < width_; ++x, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
}

Status Bitmap::rotateFlip(RotateFlip type) {
    const int turns = static_cast<int>(type) & 3;  // quarter turns clockwise
    const bool flipX = static_cast<int>(type) >= 4;
    if (turns == 0 && !flipX) return Status::Ok;
    const bool swap = turns % 2 == 1;
    const int w = swap ? height_ : width_;
    const int h = swap ? width_ : height_;
    auto turned = createUnfilled(w, h);
    if (!turned) return Status::OutOfMemory;
    // Each source row lands on a line of the turned bitmap: where its first pixel goes, and how
    // far (in columns and rows) each next pixel moves from there.
    for (int y = 0; y < height_; ++y) {
        int dx, dy, stepX = 0, stepY = 0;
        switch (turns) {
            case 1:
                dx = height_ - 1 - y, dy = 0, stepY = 1;
                break;
            case 2:
                dx = width_ - 1, dy = height_ - 1 - y, stepX = -1;
                break;
            case 3:
                dx = y, dy = width_ - 1, stepY = -1;
                break;
            default:
                dx = 0, dy = y, stepX = 1;
                break;
        }
        if (flipX) dx = w - 1 - dx, stepX = -stepX;
        const std::ptrdiff_t step =
            static_cast<std::ptrdiff_t>(stepY) * turned->stride_ + stepX * 3;
        std::ptrdiff_t at = static_cast<std::ptrdiff_t>(dy) * turned->stride_ + dx * 3;
        const std::uint8_t* src = row(y);
        for (int x = 0; x < width_; ++x, src += 3, at += step)
            std::memcpy(turned->pixels_.get() + at, src, 3);
    }
    *this = std::move(*turned);
    return Status::Ok;
}

std::unique_ptr<Bitmap> Bitmap::clone() const {
    return fromPixels(width_, height_, stride_, pixels_.get());
}

std::unique_ptr<Bitmap> Bitmap::thumbnail(int width, int height) const {
    return resample(*this, RectF{0, 0, static_cast<float>(width_), static_cast<float>(height_)},
                    width, height, Filter::Cubic);
}

}  // namespace tavrin::imaging

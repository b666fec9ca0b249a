#pragma once
// A 24-bit bitmap: rows of blue, green, red bytes, each row padded to four bytes, top row first.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrin::imaging {

// The status codes of the platform's imaging library, with its values.
enum class Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    NotImplemented = 6,
    WrongState = 8,
    FileNotFound = 10,
    ValueOverflow = 11,
    UnknownImageFormat = 13,
};

// Sizes no bitmap may exceed, whatever a file claims.
inline constexpr int kMaxDimension = 65535;
inline constexpr std::int64_t kMaxPixels = 200'000'000;
// A picture larger than kSmallPicture pixels must come from at least one byte of file data per
// kMaxPixelsPerByte pixels: no photograph compresses further, and a header that claims more is
// lying about its size.
inline constexpr std::int64_t kSmallPicture = 4'000'000;
inline constexpr std::int64_t kMaxPixelsPerByte = 1024;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
};

enum class LockMode { Read = 1, Write = 2, ReadWrite = 3 };

struct BitmapData {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::uint8_t* scan0 = nullptr;
};

// The values of the platform's rotate-flip enumeration; turns are clockwise.
enum class RotateFlip {
    RotateNoneFlipNone = 0,
    Rotate90FlipNone = 1,
    Rotate180FlipNone = 2,
    Rotate270FlipNone = 3,
    RotateNoneFlipX = 4,
    Rotate90FlipX = 5,
    Rotate180FlipX = 6,
    Rotate270FlipX = 7,
};

class Bitmap {
  public:
    // A black bitmap; nothing when the size is not positive, beyond the limits, or too large
    // for memory.
    static std::unique_ptr<Bitmap> create(int width, int height);
    // As create, but the pixels are left as memory had them, for a caller that writes every one
    // (only the padding at the rows' ends is cleared).
    static std::unique_ptr<Bitmap> createUnfilled(int width, int height);
    // A bitmap holding a copy of rows of blue, green, red pixels.
    static std::unique_ptr<Bitmap> fromPixels(int width, int height, int stride,
                                              const std::uint8_t* bgr);

    static bool sizeAllowed(std::int64_t width, std::int64_t height);
    // sizeAllowed, and plausible for a file of dataBytes bytes.
    static bool sizeAllowed(std::int64_t width, std::int64_t height, std::size_t dataBytes);
    static int strideFor(int width) { return (width * 3 + 3) & ~3; }

    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    std::uint8_t* row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* row(int y) const {
        return pixels_.get() + static_cast<std::size_t>(y) * stride_;
    }

    // The rows of a rectangle inside the bitmap; one lock at a time.
    Status lockBits(const Rect& rect, LockMode mode, BitmapData& data);
    Status unlockBits(BitmapData& data);

    void clear(std::uint32_t argb);
    Status rotateFlip(RotateFlip type);
    std::unique_ptr<Bitmap> clone() const;
    // A copy scaled to width x height with the high-quality filter.
    std::unique_ptr<Bitmap> thumbnail(int width, int height) const;

  private:
    Bitmap(int width, int height, std::unique_ptr<std::uint8_t[]> pixels)
        : width_(width), height_(height), stride_(strideFor(width)), pixels_(std::move(pixels)) {}

    int width_;
    int height_;
    int stride_;
    std::unique_ptr<std::uint8_t[]> pixels_;
    bool locked_ = false;
};

}  // namespace tavrin::imaging

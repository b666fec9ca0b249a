#pragma once
// Bitmaps from image files in memory or on disk: JPEG, TIFF and BMP open (embedded colour
// profiles applied); anything else fails with UnknownImageFormat.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

struct DecodeOptions {
    // When set, a JPEG may be decoded reduced (1/2 ... 1/8) as long as the result stays at least
    // this large in both directions: for pictures that are drawn much smaller.
    int minWidth = 0;
    int minHeight = 0;
    bool applyColorProfile = true;
};

struct Decoded {
    Status status = Status::GenericError;
    std::unique_ptr<Bitmap> bitmap;  // set exactly when status is Ok
};

Decoded decodeImage(std::span<const std::uint8_t> data, const DecodeOptions& options = {});
Decoded decodeImageFile(const std::filesystem::path& path, const DecodeOptions& options = {});

}  // namespace tavrin::imaging

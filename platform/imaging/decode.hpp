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

// What a decode would give, from the headers alone: Ok with the picture's size when the data is
// a JPEG, TIFF or BMP file this layer opens; the decode's failure status otherwise.
struct Probed {
    Status status = Status::GenericError;
    int width = 0;
    int height = 0;
};
Probed probeImage(std::span<const std::uint8_t> data);
Decoded decodeImageFile(const std::filesystem::path& path, const DecodeOptions& options = {});

}  // namespace tavrin::imaging

#pragma once
// Baseline TIFF output of bitmaps (8-bit RGB, uncompressed).

#include <filesystem>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

// Encoded in memory and written atomically: a failed write leaves no partial file, and errno
// says why it failed.
bool writeTiff(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace tavrin::imaging

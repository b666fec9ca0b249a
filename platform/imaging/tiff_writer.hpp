#pragma once
// Baseline TIFF output of bitmaps (8-bit RGB, uncompressed).

#include <filesystem>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

// Written through a temporary file beside the target and renamed over it: a failed write
// leaves no partial file.
bool writeTiff(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace tavrin::imaging

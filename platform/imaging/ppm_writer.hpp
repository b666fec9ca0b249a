#pragma once
// Binary PPM (P6) output of bitmaps.

#include <filesystem>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

// Written atomically: a failed write leaves no partial file.
bool writePpm(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace tavrin::imaging

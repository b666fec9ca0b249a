#pragma once
// PNG output of bitmaps (8-bit RGB).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

std::optional<std::vector<std::uint8_t>> encodePng(const Bitmap& bitmap);
// Written atomically: a failed write leaves no partial file.
bool writePng(const Bitmap& bitmap, const std::filesystem::path& path);

}  // namespace tavrin::imaging

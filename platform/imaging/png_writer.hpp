#pragma once
// PNG output of bitmaps (8-bit RGB) and of pictures with transparency (8-bit RGBA).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

std::optional<std::vector<std::uint8_t>> encodePng(const Bitmap& bitmap);
// Written atomically: a failed write leaves no partial file.
bool writePng(const Bitmap& bitmap, const std::filesystem::path& path);
// A picture with transparency: width x height pixels of 0xAARRGGBB, written atomically.
bool writePngRgba(int width, int height, const std::uint32_t* argb,
                  const std::filesystem::path& path);

}  // namespace tavrin::imaging

#pragma once
// PNG output of bitmaps (8-bit RGB) and of pictures with transparency (8-bit RGBA).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "platform/imaging/bitmap.hpp"
#include "platform/imaging/png_texts.hpp"

namespace tavrin::imaging {

// What a PNG is for. A kept file is compressed and synced to disk. A handoff, such as a
// thumbnail, is read once by the program that asked for it (file managers decode it and store
// their own copy): stored without compression and left to the page cache, it costs a fraction
// of the time.
enum class PngUse { Keep, Handoff };

// The texts become uncompressed text chunks ahead of the picture data.
std::optional<std::vector<std::uint8_t>> encodePng(const Bitmap& bitmap, PngUse use = PngUse::Keep,
                                                   std::span<const PngText> texts = {});
// Written atomically: a failed write leaves no partial file.
bool writePng(const Bitmap& bitmap, const std::filesystem::path& path, PngUse use = PngUse::Keep);
// A picture with transparency: width x height pixels of 0xAARRGGBB, written atomically.
bool writePngRgba(int width, int height, const std::uint32_t* argb,
                  const std::filesystem::path& path);

}  // namespace tavrin::imaging

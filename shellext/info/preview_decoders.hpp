#pragma once
// Previews stored as plain pixels (Kodak RGB and YUV, Rollei, Foveon rows), turned into a 24-bit
// BMP file in previewData.

#include <array>
#include <cstdint>

#include "shellext/info/info_context.hpp"

namespace tavrin::shell {

using KodakCurve = std::array<std::uint16_t, 4096>;

// The file header and information header in front of a BMP's pixel rows.
inline constexpr std::size_t kBmpHeaderSize = 54;

// A new zero-filled previewData holding a BMP file of previewWidth x previewHeight; returns the
// row stride, or 0 when the size is not plausible or memory runs out (previewData stays none).
int wrapPixelsAsBmp(ImageInfo& info);

// The BMP row of picture row y (rows are stored bottom-up), inside a locked previewData.
std::uint8_t* bmpRow(std::uint8_t* bmp, const ImageInfo& info, int stride, int y);

// Identity unless the make is "KODAK": then tag 2317 of the IFD at offset 12, last value repeated.
KodakCurve readKodakCurve(InfoContext& ctx);

HRESULT decodeRolleiPreview(InfoContext& ctx);
HRESULT decodeFoveonPreview(InfoContext& ctx);
HRESULT decodeKodakRgbPreview(InfoContext& ctx);
HRESULT decodeKodakYuvPreview(InfoContext& ctx);

}  // namespace tavrin::shell

#pragma once
// Scaling with a separable filter. Downscaling widens the kernel by the scale factor, so every
// source pixel contributes (an area-aware prefilter); results are clamped to 0..255, and a
// destination pixel is either written whole or not at all (no anti-aliased edges).

#include <memory>

#include "platform/imaging/bitmap.hpp"

namespace tavrin::imaging {

enum class Filter { Nearest, Linear, Cubic };

// Draws the source rectangle of src scaled into dstRect of dst. A destination pixel is written
// when its centre lies inside dstRect and inside dst; source pixels beyond the source rectangle
// repeat its edge.
void drawScaled(const Bitmap& src, const RectF& srcRect, Bitmap& dst, const RectF& dstRect,
                Filter filter);

// The source rectangle scaled to width x height; nothing for a bad size.
std::unique_ptr<Bitmap> resample(const Bitmap& src, const RectF& srcRect, int width, int height,
                                 Filter filter);

// The value at continuous position (u, v) (pixel centres at half-integers), edges repeated
// within clampRect; the filter at scale 1.
void sample(const Bitmap& src, float u, float v, const Rect& clampRect, Filter filter,
            std::uint8_t out[3]);

}  // namespace tavrin::imaging

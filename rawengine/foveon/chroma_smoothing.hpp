#pragma once
// Smoothing of chroma noise: the colour of each pixel, apart from its brightness, is replaced by
// that of a blurred quarter-size picture, so that noise between the stacked colour layers
// fades while edges of brightness stay sharp.

#include <array>
#include <cstdint>
#include <optional>

namespace tavrin::raw {

// image: height x width pixels of four 16-bit samples, channels 0..2 smoothed and held to
// 0..white. With a noise level per layer, only chroma within twice the level of the blurred
// chroma is taken as noise; a pixel's colour beyond that is detail and kept, less the level's
// twice. Throws the memory error for "foveon_interpolate()" when the quarter-size picture
// cannot be allocated.
void smoothChroma(std::uint16_t* image, int width, int height, int white,
                  const std::optional<std::array<double, 3>>& noise = std::nullopt);

}  // namespace tavrin::raw

#pragma once
// Smoothing of chroma noise: the colour of each pixel, apart from its brightness, is replaced by
// that of a blurred quarter-size picture, so that noise between the stacked colour layers
// fades while edges of brightness stay sharp.

#include <cstdint>

namespace tavrin::raw {

// image: height x width pixels of four 16-bit samples, channels 0..2 smoothed and held to
// 0..white. Throws the memory error for "foveon_interpolate()" when the quarter-size picture
// cannot be allocated.
void smoothChroma(std::uint16_t* image, int width, int height, int white);

}  // namespace tavrin::raw

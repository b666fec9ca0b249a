#pragma once
// The colour pipeline of Foveon pictures, in place of white balance and interpolation.

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// Turns the loaded raw channels into a cropped, dark-corrected, balanced picture in camera
// channels, sets the colour matrix that conversion applies, and sets the white and clip level
// to the picture's white.
void foveonInterpolate(DecodeContext& ctx);

}  // namespace tavrin::raw

#pragma once
// The colour steps of a decode after loading: scaling and white balance, interpolation of the
// colour-filter mosaic, the Fuji 45-degree turn and the conversion to RGB with its histogram.

#include <array>
#include <string>

#include "rawengine/colour/learned_colours.hpp"
#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// colour_matrix.cpp: the conversion from camera channels to sRGB, derived from a matrix from
// CIE XYZ to the camera's channels (rows per channel), or one of the fixed sets.
void setColourMatrixFromXyz(DecodeState& s, const std::array<float, 12>& cameraFromXyz);
void setFixedColourMatrix(DecodeState& s, int set);

// colour_from_preview.cpp: for a camera without matrix numbers, after loading and before
// scaling: the matrix fitted from the file's preview, or learned from earlier files, and the
// fixed balance that goes with it.
void colourFromPreview(DecodeContext& ctx);
// Where a decode's matrix comes from: "table", "file", "learned from N files" or "none"; what
// was learned is read from the store, when there is one.
std::string matrixOrigin(const DecodeState& s, const LearnedColourStore* store);

void scaleColours(DecodeContext& ctx);
void vngInterpolate(DecodeContext& ctx);
void fujiRotate(DecodeContext& ctx);
void convertToRgb(DecodeContext& ctx);

}  // namespace tavrin::raw

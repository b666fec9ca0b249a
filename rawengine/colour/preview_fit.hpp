#pragma once
// The camera's colour conversion learned from a picture pair: the camera's channels and the
// camera's own rendering of the same scene, both small, aligned and linear.

#include <array>
#include <optional>
#include <vector>

namespace tavrin::raw {

// Three values per pixel, row by row, nominally 0 ... 1.
struct FitPicture {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

struct ColourFit {
    // Balanced camera channels to linear sRGB; each row sums to 1, so white stays white.
    std::array<std::array<float, 3>, 3> matrix{};
    // The gains that balance this picture's white, the smallest 1.
    std::array<float, 3> balance{};
};

// Fits linear sRGB = A x camera by weighted least squares over the pixels that are neither
// clipped, near black nor strongly textured, and splits A into the balance and the matrix.
// Nothing when too few pixels count, the fit is ill-conditioned, its residual is large, or the
// result would not keep white positive: the pair then does not show one scene.
std::optional<ColourFit> fitColourMatrix(const FitPicture& camera, const FitPicture& previewLinear);

// An 8-bit value of the camera's preview as linear light, through the inverse of the curve the
// engine's output applies: a decode with the fitted matrix then renders what the preview shows.
float previewToLinear(int value);

}  // namespace tavrin::raw

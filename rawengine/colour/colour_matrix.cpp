#include <algorithm>
#include <array>
#include <cmath>

#include "rawengine/colour/colour_steps.hpp"
#include "rawengine/colour/matrix3.hpp"

namespace tavrin::raw {
namespace {

// CIE XYZ from linear sRGB (D65), rows X, Y, Z.
constexpr double kXyzFromSrgb[3][3] = {
    {0.412453, 0.357580, 0.180423},
    {0.212671, 0.715160, 0.072169},
    {0.019334, 0.119193, 0.950227},
};

struct FixedSet {
    int channels;
    float values[3][4];
};
constexpr std::array<FixedSet, 3> kFixedSets{{
    {3, {{1.4032f, -0.2231f, -0.1016f}, {-0.5263f, 1.4816f, 0.017f}, {-0.0112f, 0.0183f, 0.9113f}}},
    {4,
     {{2.25f, 0.75f, -1.75f, -0.25f},
      {-0.25f, 0.75f, 0.75f, -0.25f},
      {-0.25f, -1.75f, 0.75f, 2.25f}}},
    {4,
     {{-1.93628f, 1.80044f, -1.44849f, 2.58432f},
      {1.40536f, -0.524955f, -0.28909f, 0.40868f},
      {-1.20496f, 1.0823f, 2.94137f, -1.8187f}}},
}};

}  // namespace

void setColourMatrixFromXyz(DecodeState& s, const std::array<float, 12>& cameraFromXyz) {
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    double camRgb[4][3] = {};
    for (int i = 0; i < colours; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k)
                camRgb[i][j] += cameraFromXyz[i * 3 + k] * kXyzFromSrgb[k][j];
        }
    }
    for (int i = 0; i < colours; ++i) {
        const double sum = camRgb[i][0] + camRgb[i][1] + camRgb[i][2];
        // A row that sums to nothing cannot be normalised; it keeps its scale and gain.
        if (sum == 0 || !std::isfinite(sum)) continue;
        for (double& v : camRgb[i])
            v /= sum;
        s.colour.presetMultipliers[i] = static_cast<float>(1 / sum);
    }
    // The pseudo-inverse (A^T A)^-1 A^T maps camera channels to RGB.
    Matrix3 ata{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < colours; ++k)
                ata[i][j] += camRgb[k][i] * camRgb[k][j];
        }
    }
    const auto inverse = invert(ata);
    if (!inverse) return;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            double v = 0;
            if (c < colours) {
                for (int k = 0; k < 3; ++k)
                    v += (*inverse)[r][k] * camRgb[c][k];
            }
            s.colour.colourMatrix[r][c] = static_cast<float>(v);
        }
    }
    s.sensor.useColourMatrix = true;
    s.colour.matrixSource = MatrixSource::Table;
}

void setFixedColourMatrix(DecodeState& s, int set) {
    if (set < 0 || set >= static_cast<int>(kFixedSets.size())) return;
    const FixedSet& fixed = kFixedSets[static_cast<std::size_t>(set)];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            s.colour.colourMatrix[r][c] = c < fixed.channels ? fixed.values[r][c] : 0.0f;
    }
    s.sensor.useColourMatrix = true;
    s.colour.matrixSource = MatrixSource::Table;
}

}  // namespace tavrin::raw

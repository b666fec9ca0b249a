#include "rawengine/colour/preview_fit.hpp"

#include <algorithm>
#include <cmath>

#include "rawengine/colour/matrix3.hpp"

namespace tavrin::raw {
namespace {

// Pixels the fit leaves out: clipped in either picture, too dark to carry colour, or on an edge
// where a small misalignment of the pair changes the value a lot.
constexpr float kClipped = 0.9f;
constexpr float kNearBlack = 0.01f;
constexpr float kTexture = 0.2f;
// Fewer pixels than this cannot tell a matrix, whatever their colours.
constexpr int kMinPixels = 64;
// Fits beyond these limits show no single linear relation between the pictures.
constexpr double kMaxCondition = 2e4;
constexpr double kMaxResidual = 0.2;
// No real camera's matrix holds entries this large.
constexpr double kMaxEntry = 6;

double frobenius(const Matrix3& m) {
    double sum = 0;
    for (const auto& row : m) {
        for (double v : row)
            sum += v * v;
    }
    return std::sqrt(sum);
}

float luminance(const float* rgb) {
    return 0.2127f * rgb[0] + 0.7152f * rgb[1] + 0.0722f * rgb[2];
}

// Whether the pixel differs strongly from a neighbour, relative to its brightness.
bool textured(const FitPicture& p, int x, int y) {
    const float* centre = &p.values[(static_cast<std::size_t>(y) * p.width + x) * 3];
    const float here = luminance(centre);
    constexpr int kSteps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& step : kSteps) {
        const float* other =
            &p.values[(static_cast<std::size_t>(y + step[1]) * p.width + x + step[0]) * 3];
        if (std::fabs(luminance(other) - here) > kTexture * (here + 0.02f)) return true;
    }
    return false;
}

// Errors count about relative to brightness, so that dark and bright areas weigh alike.
double weight(float brightness) {
    return 1.0 / (brightness + 0.05);
}

}  // namespace

float previewToLinear(int value) {
    static const auto kTable = [] {
        std::array<float, 256> out{};
        for (std::size_t i = 0; i < out.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            out[i] =
                static_cast<float>(c <= 0.081 ? c / 4.5 : std::pow((c + 0.099) / 1.099, 1 / 0.45));
        }
        return out;
    }();
    return kTable[static_cast<std::size_t>(std::clamp(value, 0, 255))];
}

std::optional<ColourFit> fitColourMatrix(const FitPicture& camera,
                                         const FitPicture& previewLinear) {
    const int width = camera.width, height = camera.height;
    const std::size_t samples =
        static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0) * 3;
    if (width < 3 || height < 3 || previewLinear.width != width || previewLinear.height != height ||
        camera.values.size() != samples || previewLinear.values.size() != samples) {
        return std::nullopt;
    }
    // Normal equations of the weighted fit, shared by the three output rows.
    Matrix3 normal{}, right{};  // right[r][c]: sum of w * camera c * output r
    double outputEnergy = 0;
    int used = 0;
    std::vector<std::size_t> chosen;
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
            const float* cam = &camera.values[i];
            const float* out = &previewLinear.values[i];
            const float bright = luminance(out);
            if (bright < kNearBlack || *std::max_element(out, out + 3) > kClipped ||
                *std::max_element(cam, cam + 3) > kClipped || textured(previewLinear, x, y)) {
                continue;
            }
            const double w = weight(bright);
            for (int a = 0; a < 3; ++a) {
                for (int b = 0; b < 3; ++b) {
                    normal[a][b] += w * cam[a] * cam[b];
                    right[a][b] += w * cam[b] * out[a];
                }
                outputEnergy += w * out[a] * out[a];
            }
            chosen.push_back(i);
            ++used;
        }
    }
    if (used < kMinPixels) return std::nullopt;
    const auto normalInverse = invert(normal);
    if (!normalInverse ||
        frobenius(normal) * frobenius(*normalInverse) > kMaxCondition * kMaxCondition)
        return std::nullopt;
    Matrix3 a{};  // a[r][c]: output r from camera c
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 3; ++k)
                a[r][c] += (*normalInverse)[c][k] * right[r][k];
        }
    }
    double residual = 0;
    for (const std::size_t i : chosen) {
        const float* cam = &camera.values[i];
        const float* out = &previewLinear.values[i];
        const double w = weight(luminance(out));
        for (int r = 0; r < 3; ++r) {
            const double e = a[r][0] * cam[0] + a[r][1] * cam[1] + a[r][2] * cam[2] - out[r];
            residual += w * e * e;
        }
    }
    if (!(outputEnergy > 0) || std::sqrt(residual / outputEnergy) > kMaxResidual)
        return std::nullopt;

    // The camera's white: the channels that come out neutral. Balancing by its inverse and
    // scaling the matrix by it makes each row sum to 1.
    const auto aInverse = invert(a);
    if (!aInverse) return std::nullopt;
    std::array<double, 3> white{};
    for (int c = 0; c < 3; ++c)
        white[c] = (*aInverse)[c][0] + (*aInverse)[c][1] + (*aInverse)[c][2];
    if (!std::all_of(white.begin(), white.end(), [](double v) { return v > 0; }))
        return std::nullopt;
    const double largest = *std::max_element(white.begin(), white.end());
    ColourFit fit;
    for (int c = 0; c < 3; ++c)
        fit.balance[c] = static_cast<float>(largest / white[c]);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const double v = a[r][c] * white[c];
            if (!std::isfinite(v) || std::fabs(v) > kMaxEntry) return std::nullopt;
            fit.matrix[r][c] = static_cast<float>(v);
        }
    }
    return fit;
}

}  // namespace tavrin::raw

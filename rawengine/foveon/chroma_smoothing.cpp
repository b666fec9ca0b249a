#include "rawengine/foveon/chroma_smoothing.hpp"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

using Chroma = std::array<float, 3>;

// Each channel's difference from the pixel's mean.
Chroma chromaOf(const std::uint16_t* pixel) {
    const float mean = (pixel[0] + pixel[1] + pixel[2]) / 3.0f;
    return {pixel[0] - mean, pixel[1] - mean, pixel[2] - mean};
}

// A picture of chroma values at half the width and height: each the mean of a 2 x 2 block.
struct QuarterImage {
    int width, height;
    std::vector<Chroma> cells;

    const Chroma& at(int row, int col) const {
        return cells[static_cast<std::size_t>(std::clamp(row, 0, height - 1)) *
                         static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(std::clamp(col, 0, width - 1))];
    }
};

QuarterImage quarterChroma(const std::uint16_t* image, int width, int height) {
    QuarterImage q{(width + 1) / 2, (height + 1) / 2, {}};
    q.cells.assign(static_cast<std::size_t>(q.width) * static_cast<std::size_t>(q.height),
                   Chroma{});
    std::vector<int> counts(q.cells.size(), 0);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const std::size_t cell =
                static_cast<std::size_t>(row / 2) * static_cast<std::size_t>(q.width) +
                static_cast<std::size_t>(col / 2);
            const Chroma c = chromaOf(image + (static_cast<std::size_t>(row) * width + col) * 4);
            for (int k = 0; k < 3; ++k)
                q.cells[cell][static_cast<std::size_t>(k)] += c[static_cast<std::size_t>(k)];
            ++counts[cell];
        }
    }
    for (std::size_t i = 0; i < q.cells.size(); ++i) {
        for (float& v : q.cells[i])
            v /= static_cast<float>(counts[i]);
    }
    return q;
}

// A 3 x 3 box blur, edges repeated.
QuarterImage blurred(const QuarterImage& q) {
    QuarterImage out{q.width, q.height, std::vector<Chroma>(q.cells.size())};
    for (int row = 0; row < q.height; ++row) {
        for (int col = 0; col < q.width; ++col) {
            Chroma sum{};
            for (int dr = -1; dr <= 1; ++dr) {
                for (int dc = -1; dc <= 1; ++dc) {
                    const Chroma& c = q.at(row + dr, col + dc);
                    for (std::size_t k = 0; k < 3; ++k)
                        sum[k] += c[k];
                }
            }
            for (float& v : sum)
                v /= 9.0f;
            out.cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(q.width) +
                      static_cast<std::size_t>(col)] = sum;
        }
    }
    return out;
}

// What of a pixel's own chroma is kept beside the smoothed one: nothing within the threshold,
// the excess beyond it.
float detail(float own, float smooth, float threshold) {
    const float difference = own - smooth;
    if (difference > threshold) return difference - threshold;
    if (difference < -threshold) return difference + threshold;
    return 0.0f;
}

}  // namespace

void smoothChroma(std::uint16_t* image, int width, int height, int white,
                  const std::optional<std::array<double, 3>>& noise) {
    if (width <= 0 || height <= 0) return;
    QuarterImage smooth;
    try {
        smooth = blurred(quarterChroma(image, width, height));
    } catch (const std::bad_alloc&) {
        throw CImageLoaderException::outOfMemory("foveon_interpolate()");
    }
    const auto top = static_cast<float>(white);
    // Without a noise level all of a pixel's chroma is smoothed: its own is not needed.
    std::array<float, 3> threshold{};
    if (noise) {
        for (std::size_t k = 0; k < 3; ++k)
            threshold[k] = static_cast<float>(2 * (*noise)[k]);
    }
    for (int row = 0; row < height; ++row) {
        // The pixel's place among the cells' centres, for bilinear weights.
        const float r = (static_cast<float>(row) - 0.5f) / 2.0f;
        const int r0 = r < 0 ? -1 : static_cast<int>(r);
        const float fr = r - static_cast<float>(r0);
        for (int col = 0; col < width; ++col) {
            const float c = (static_cast<float>(col) - 0.5f) / 2.0f;
            const int c0 = c < 0 ? -1 : static_cast<int>(c);
            const float fc = c - static_cast<float>(c0);
            std::uint16_t* pixel = image + (static_cast<std::size_t>(row) * width + col) * 4;
            const float mean = (pixel[0] + pixel[1] + pixel[2]) / 3.0f;
            const Chroma own = noise ? chromaOf(pixel) : Chroma{};
            for (std::size_t k = 0; k < 3; ++k) {
                const float chroma =
                    (smooth.at(r0, c0)[k] * (1 - fc) + smooth.at(r0, c0 + 1)[k] * fc) * (1 - fr) +
                    (smooth.at(r0 + 1, c0)[k] * (1 - fc) + smooth.at(r0 + 1, c0 + 1)[k] * fc) * fr;
                const float value =
                    mean + chroma + (noise ? detail(own[k], chroma, threshold[k]) : 0.0f);
                pixel[k] = static_cast<std::uint16_t>(std::clamp(value, 0.0f, top) + 0.5f);
            }
        }
    }
}

}  // namespace tavrin::raw

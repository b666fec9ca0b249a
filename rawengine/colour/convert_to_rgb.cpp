#include <algorithm>
#include <memory>
#include <thread>

#include "rawengine/colour/colour_steps.hpp"

namespace tavrin::raw {
namespace {

using Histogram = std::array<std::uint32_t, 3 * 8192>;

// A large picture is converted by both cores, each counting into its own histogram.
constexpr std::size_t kParallelPixels = 1 << 20;

void convertRows(const DecodeState& s, std::uint16_t* image, int first, int last,
                 Histogram& histogram) {
    const Geometry& g = s.geometry;
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    const bool matrix = s.sensor.useColourMatrix;
    const float clip = static_cast<float>(std::clamp(s.sensor.clipLevel, 0, 65535));
    const auto& m = s.colour.colourMatrix;
    for (int row = first; row < last; ++row) {
        std::uint16_t* pix = image + (static_cast<std::size_t>(row) * g.width + g.trim) * 4;
        for (int col = g.trim; col < g.width - g.trim; ++col, pix += 4) {
            if (colours == 4 && !matrix)
                pix[1] = static_cast<std::uint16_t>((pix[1] + pix[3]) >> 1);
            if (colours == 1) {
                pix[1] = pix[2] = pix[0];
            } else if (matrix) {
                float out[3];
                for (int r = 0; r < 3; ++r) {
                    float v = 0;
                    for (int c = 0; c < colours; ++c)
                        v += pix[c] * m[r][c];
                    out[r] = std::clamp(v, 0.0f, clip);
                }
                for (int r = 0; r < 3; ++r)
                    pix[r] = static_cast<std::uint16_t>(out[r]);
            }
            for (int k = 0; k < 3; ++k)
                ++histogram[static_cast<std::size_t>(k) * 8192 + (pix[k] >> 3)];
        }
    }
}

}  // namespace

// Turns each visible pixel's camera channels into RGB in channels 0-2 and counts the results
// in the histogram (bins of 8 values per channel).
void ConvertToRgb(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    if (!s.histogram) s.histogram = std::make_unique<Histogram>();
    Histogram& histogram = *s.histogram;
    histogram.fill(0);
    if (!s.image) return;
    const int first = g.trim, last = g.height - g.trim;
    const std::size_t pixels = static_cast<std::size_t>(std::max(g.height, 0)) * g.width;
    if (pixels < kParallelPixels || last - first < 2 || std::thread::hardware_concurrency() < 2) {
        convertRows(s, s.image.get(), first, last, histogram);
        return;
    }
    const int middle = first + (last - first) / 2;
    auto second = std::make_unique<Histogram>();
    second->fill(0);
    std::thread worker([&] { convertRows(s, s.image.get(), middle, last, *second); });
    convertRows(s, s.image.get(), first, middle, histogram);
    worker.join();
    for (std::size_t i = 0; i < histogram.size(); ++i)
        histogram[i] += (*second)[i];
}

}  // namespace tavrin::raw

#include <algorithm>
#include <memory>
#include <thread>

#include "rawengine/colour/colour_steps.hpp"

namespace tavrin::raw {
namespace {

using Histogram = std::array<std::uint32_t, 3 * 8192>;
// Four lanes computed at once (the compiler's vector extension, plain code where there is no
// vector unit).
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

// A large picture is converted by both cores, each counting into its own histogram.
constexpr std::size_t kParallelPixels = 1 << 20;

// The loop for one kind of sensor; the kind is fixed for the whole picture.
template <int Colours, bool Matrix>
void convertRows(const DecodeState& s, std::uint16_t* image, int first, int last,
                 Histogram& histogram) {
    const Geometry& g = s.geometry;
    const float clip = static_cast<float>(std::clamp(s.sensor.clipLevel, 0, 65535));
    // The matrix by columns, a fourth output of zeros: each pixel's three sums then run side by
    // side (the same products and additions, in the same order, as row by row).
    Float4 column[4] = {};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 3; ++r)
            column[c][r] = s.colour.colourMatrix[r][c];
    }
    const Float4 low = {}, high = Float4{} + clip;
    // Local copies: the counts are integers, which the compiler must assume may alias them.
    const int width = g.width, trim = g.trim;
    for (int row = first; row < last; ++row) {
        std::uint16_t* pix = image + (static_cast<std::size_t>(row) * width + trim) * 4;
        for (int col = trim; col < width - trim; ++col, pix += 4) {
            if (Colours == 4 && !Matrix)
                pix[1] = static_cast<std::uint16_t>((pix[1] + pix[3]) >> 1);
            if (Colours == 1) {
                pix[1] = pix[2] = pix[0];
            } else if (Matrix) {
                Float4 out = column[0] * static_cast<float>(pix[0]);
                for (int c = 1; c < Colours; ++c)
                    out += column[c] * static_cast<float>(pix[c]);
                out = out < low ? low : out;
                out = high < out ? high : out;
                const Int4 value = __builtin_convertvector(out, Int4);
                for (int r = 0; r < 3; ++r)
                    pix[r] = static_cast<std::uint16_t>(value[r]);
            }
            for (int k = 0; k < 3; ++k)
                ++histogram[static_cast<std::size_t>(k) * 8192 + (pix[k] >> 3)];
        }
    }
}

void convertRows(const DecodeState& s, std::uint16_t* image, int first, int last,
                 Histogram& histogram) {
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    const bool matrix = s.sensor.useColourMatrix;
    if (colours == 1) return convertRows<1, false>(s, image, first, last, histogram);
    if (!matrix) {
        return colours == 4 ? convertRows<4, false>(s, image, first, last, histogram)
                            : convertRows<3, false>(s, image, first, last, histogram);
    }
    switch (colours) {
        case 2:
            return convertRows<2, true>(s, image, first, last, histogram);
        case 3:
            return convertRows<3, true>(s, image, first, last, histogram);
        default:
            return convertRows<4, true>(s, image, first, last, histogram);
    }
}

}  // namespace

// Turns each visible pixel's camera channels into RGB in channels 0-2 and counts the results
// in the histogram (bins of 8 values per channel).
void convertToRgb(DecodeContext& ctx) {
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

#include "rawengine/colour/tone_table.hpp"

#include <algorithm>
#include <cmath>

namespace tavrin::raw {
namespace {

// The darkest white point the histogram may give.
constexpr int kLowestWhiteBin = 32;

int whiteBin(const DecodeState& s) {
    if (!s.histogram) return kLowestWhiteBin;
    const auto& histogram = *s.histogram;
    const auto percentile = static_cast<std::uint64_t>(
        static_cast<double>(std::max(s.geometry.width, 0)) * std::max(s.geometry.height, 0) * 0.01);
    int white = 0;
    for (int k = 0; k < 3; ++k) {
        std::uint64_t total = 0;
        int bin = 8191;
        for (; bin > kLowestWhiteBin; --bin) {
            total += histogram[static_cast<std::size_t>(k) * 8192 + bin];
            if (total > percentile) break;
        }
        white = std::max(white, bin);
    }
    return white;
}

}  // namespace

std::unique_ptr<ToneTable> buildToneTable(const DecodeState& s, int minimumWhiteBin) {
    auto table = std::make_unique<ToneTable>();
    const float brightness = s.colour.brightness > 0 ? s.colour.brightness : 1.0f;
    const double white = std::max(whiteBin(s), minimumWhiteBin) * 8.0 / brightness;
    for (std::size_t i = 0; i < table->size(); ++i) {
        double x = static_cast<double>(i) / white;
        if (s.sensor.useGamma) x = x <= 0.018 ? 4.5 * x : 1.099 * std::pow(x, 0.45) - 0.099;
        (*table)[i] = static_cast<std::uint8_t>(std::min(256.0 * x, 255.0));
    }
    return table;
}

}  // namespace tavrin::raw

#pragma once
// How DNG loaders place their samples: through the tone curve, along the diagonal of a Fuji
// 45-degree sensor, every other sample when a second Fuji frame is stored, and all channels of
// a pixel at once on sensors without a colour pattern.

#include <algorithm>
#include <cstdint>
#include <span>

#include "rawengine/loaders/placement.hpp"

namespace tavrin::raw {

class DngPixelWriter {
  public:
    explicit DngPixelWriter(DecodeState& s) : s_(s) {}

    // Writes count pixels of sensor row `row` from column `col` on; never reads past samples.
    void writeRow(int row, int col, std::span<const std::uint16_t> samples, int count) {
        const Geometry& g = s_.geometry;
        if (s_.sensor.filterPattern) {
            const std::size_t step = s_.container.fujiSecondFrame ? 2 : 1;
            std::size_t at = 0;
            for (int i = 0; i < count && at < samples.size(); ++i, at += step) {
                const int x = col + i;
                int r = row, c = x;
                if (g.fujiWidth) {
                    r = row + g.fujiWidth - 1 - x / 2;
                    c = row + (x + 1) / 2;
                }
                placeSample(s_, r, c, curveOf(s_, samples[at]));
            }
            return;
        }
        const std::size_t channels =
            static_cast<std::size_t>(std::clamp(s_.container.samplesPerPixel, 1, 4));
        if (static_cast<unsigned>(row) >= static_cast<unsigned>(g.height)) return;
        std::size_t at = 0;
        for (int i = 0; i < count && at + channels <= samples.size(); ++i, at += channels) {
            const int c = col + i;
            if (static_cast<unsigned>(c) >= static_cast<unsigned>(g.width)) continue;
            std::uint16_t* pixel = pixelAt(s_, row, c);
            for (std::size_t k = 0; k < channels; ++k)
                pixel[k] = static_cast<std::uint16_t>(curveOf(s_, samples[at + k]));
        }
    }

  private:
    DecodeState& s_;
};

}  // namespace tavrin::raw

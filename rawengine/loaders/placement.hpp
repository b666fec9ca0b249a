#pragma once
// How every loader puts a sensor sample into the working image, and the black level taken from
// the masked columns at the right of each row.

#include <algorithm>
#include <cstdint>

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

// Stores the sample of visible sensor position (row, col) in its colour's channel of the
// working pixel; with a half-size decode each 2 x 2 block shares one pixel. Positions outside
// the visible area are ignored.
inline void placeSample(DecodeState& s, int row, int col, unsigned value) {
    const Geometry& g = s.geometry;
    if (static_cast<unsigned>(row) >= static_cast<unsigned>(g.height) ||
        static_cast<unsigned>(col) >= static_cast<unsigned>(g.width)) {
        return;
    }
    const std::size_t pixel =
        static_cast<std::size_t>(row >> g.halfShrink) * static_cast<std::size_t>(g.workWidth) +
        static_cast<std::size_t>(col >> g.halfShrink);
    s.image[pixel * 4 + static_cast<std::size_t>(s.colourAt(row, col))] =
        static_cast<std::uint16_t>(value);
}

// The first channels of the pixel at (row, col) of a sensor without a colour pattern.
inline std::uint16_t* pixelAt(DecodeState& s, int row, int col) {
    return s.image.get() + (static_cast<std::size_t>(row) * s.geometry.workWidth + col) * 4;
}

// Sums the samples of masked columns; the black level becomes their mean. The sum starts from
// the level identification set, as the stored formats expect, and is kept wide so that large
// sensors cannot overflow it.
class MarginBlack {
  public:
    explicit MarginBlack(const DecodeState& s) : sum_(s.sensor.blackLevel) {}
    void add(unsigned value) { sum_ += value; }
    // Divides by the masked columns of every visible row when the rows have such columns.
    void finish(DecodeState& s) const { finish(s, s.geometry.rawWidth); }
    void finish(DecodeState& s, int rowLength) const {
        const Geometry& g = s.geometry;
        const std::int64_t masked = static_cast<std::int64_t>(rowLength - g.width) * g.height;
        if (masked > 0) s.sensor.blackLevel = static_cast<int>(sum_ / masked);
    }

  private:
    std::int64_t sum_;
};

// Places a visible sample or counts a masked one: rows outside the visible area are dropped,
// the columns left and right of it in visible rows are margin black.
inline void placeOrBlack(DecodeState& s, MarginBlack& black, int row, int col, unsigned value) {
    const Geometry& g = s.geometry;
    if (static_cast<unsigned>(row) >= static_cast<unsigned>(g.height)) return;
    if (static_cast<unsigned>(col) < static_cast<unsigned>(g.width)) {
        placeSample(s, row, col, value);
    } else {
        black.add(value);
    }
}

// Places a row of samples of sensor row `row`: sample i belongs to column i - leftMargin.
// In a visible row, the samples outside the visible columns are margin black.
inline void placeRow(DecodeState& s, MarginBlack& black, int row, const std::uint16_t* samples,
                     int count, int leftMargin) {
    const Geometry& g = s.geometry;
    if (static_cast<unsigned>(row) >= static_cast<unsigned>(g.height)) return;
    const int first = std::clamp(leftMargin, 0, count);
    const int last = std::clamp(leftMargin + g.width, first, count);
    for (int i = 0; i < first; ++i)
        black.add(samples[i]);
    for (int i = last; i < count; ++i)
        black.add(samples[i]);
    std::uint16_t* pixels =
        s.image.get() + static_cast<std::size_t>(row >> g.halfShrink) * g.workWidth * 4;
    const int colour[2] = {s.colourAt(row, 0), s.colourAt(row, 1)};
    const int shrink = g.halfShrink;
    for (int i = first; i < last; ++i) {
        const int col = i - leftMargin;
        pixels[static_cast<std::size_t>(col >> shrink) * 4 + colour[col & 1]] = samples[i];
    }
}

// A sample through the 4096-entry tone curve; deeper samples pass unchanged.
inline unsigned curveOf(const DecodeState& s, unsigned value) {
    return value < s.colour.toneCurve.size() ? s.colour.toneCurve[value] : value;
}

}  // namespace tavrin::raw

// Canon's early uncompressed formats: 10-bit samples packed eight to ten bytes.

#include <array>
#include <vector>

#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {
namespace {

constexpr int kGroupBytes = 10;
constexpr int kGroupSamples = 8;

// Bytes 0 and 2-8 hold the high bits of the eight samples; byte 1 the low bits of the first
// four (from the top bits down), byte 9 those of the last four (from the bottom bits up).
void unpackGroup(const std::uint8_t* in, std::uint16_t* out) {
    constexpr std::array<int, 8> kHigh{0, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint16_t>(in[kHigh[i]] << 2 | (in[1] >> (6 - 2 * i) & 3));
        out[i + 4] = static_cast<std::uint16_t>(in[kHigh[i + 4]] << 2 | (in[9] >> (2 * i) & 3));
    }
}

void unpackRow(const std::vector<std::uint8_t>& bytes, std::vector<std::uint16_t>& samples) {
    const std::size_t groups = samples.size() / kGroupSamples;
    for (std::size_t g = 0; g < groups && (g + 1) * kGroupBytes <= bytes.size(); ++g)
        unpackGroup(bytes.data() + g * kGroupBytes, samples.data() + g * kGroupSamples);
}

void placeRow(DecodeState& s, MarginBlack& black, int row,
              const std::vector<std::uint16_t>& samples) {
    for (std::size_t col = 0; col < samples.size(); ++col)
        placeOrBlack(s, black, row, static_cast<int>(col), samples[col]);
}

}  // namespace

void loadCanon600Raw(DecodeContext& ctx) {
    constexpr int kRowSamples = 896;
    DecodeState& s = ctx.state;
    const int height = s.geometry.height;
    std::vector<std::uint8_t> bytes(kRowSamples * kGroupBytes / kGroupSamples);
    std::vector<std::uint16_t> samples(kRowSamples);
    MarginBlack black(s);
    // The even rows come first, then the odd ones.
    for (int i = 0, row = 0; i < height; ++i) {
        readBytes(ctx.file, bytes);
        unpackRow(bytes, samples);
        placeRow(s, black, row, samples);
        row = row + 2 > height ? 1 : row + 2;
    }
    black.finish(s, kRowSamples);
    s.sensor.whiteLevel = 1023;
}

// The same ten-byte groups as the PowerShot 600, rows of rawWidth samples in sensor order.
void loadCanonA5Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(rowLength(static_cast<long long>(g.rawWidth) * 10 / 8));
    std::vector<std::uint16_t> samples(rowLength(g.rawWidth));
    MarginBlack black(s);
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        unpackRow(bytes, samples);
        placeRow(s, black, row, samples);
    }
    black.finish(s);
    s.sensor.whiteLevel = 1023;
}

}  // namespace tavrin::raw

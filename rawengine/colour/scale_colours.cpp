#include <algorithm>
#include <array>
#include <cstdint>

#include "rawengine/colour/colour_steps.hpp"

namespace tavrin::raw {
namespace {

// Samples this close to white are left out of the automatic balance: clipped highlights would
// tint it.
constexpr int kNearWhite = 25;

std::size_t pixelCount(const Geometry& g) {
    return static_cast<std::size_t>(std::max(g.height, 0)) * std::max(g.width, 0);
}

// Gains that bring every channel's mean to the same level.
void automaticBalance(DecodeState& s) {
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    const int black = s.sensor.blackLevel;
    const int limit = s.sensor.whiteLevel - kNearWhite;
    std::array<double, 4> sum{};
    std::array<std::uint64_t, 4> count{};
    const std::uint16_t* pixel = s.image.get();
    for (std::size_t i = pixelCount(s.geometry); i--; pixel += 4) {
        for (int c = 0; c < colours; ++c) {
            if (!pixel[c]) continue;
            const int v = pixel[c] - black;
            if (v > limit) continue;
            ++count[c];
            sum[c] += std::max(v, 0);
        }
    }
    for (int c = 0; c < colours; ++c) {
        if (sum[c] > 0) s.colour.presetMultipliers[c] = static_cast<float>(count[c] / sum[c]);
    }
}

// Gains from the camera: its gray patch when it stored one, else its recorded multipliers.
void cameraBalance(DecodeState& s) {
    const int colours = std::clamp(s.sensor.colourCount, 1, 4);
    std::array<double, 4> sum{};
    std::array<std::uint64_t, 4> count{};
    for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 8; ++col) {
            const int c = s.colourAt(row, col);
            sum[c] += std::max(s.colour.grayPatch[row][col] - s.sensor.blackLevel, 0);
            ++count[c];
        }
    }
    if (std::all_of(sum.begin(), sum.begin() + colours, [](double v) { return v != 0; })) {
        for (int c = 0; c < colours; ++c)
            s.colour.presetMultipliers[c] = static_cast<float>(count[c] / sum[c]);
    } else if (s.colour.cameraMultipliers[0] != 0 && s.colour.cameraMultipliers[2] != 0) {
        s.colour.presetMultipliers = s.colour.cameraMultipliers;
    }
}

}  // namespace

void scaleColours(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    Sensor& sensor = s.sensor;
    auto& gain = s.colour.presetMultipliers;
    const int colours = std::clamp(sensor.colourCount, 1, 4);

    sensor.whiteLevel -= sensor.blackLevel;
    const bool cameraKnown = s.colour.cameraMultipliers[0] != -1;
    if (s.options.autoWhiteBalance || (s.options.cameraWhiteBalance && !cameraKnown)) {
        automaticBalance(s);
    }
    if (s.options.cameraWhiteBalance && cameraKnown) cameraBalance(s);

    // The smallest gain becomes 1; gains that are not positive would black out or invert a
    // channel and are taken as 1.
    for (int c = 0; c < colours; ++c) {
        if (!(gain[c] > 0)) gain[c] = 1;
    }
    const float smallest = *std::min_element(gain.begin(), gain.begin() + colours);
    for (int c = 0; c < colours; ++c)
        gain[c] /= smallest;

    // Headroom: the white level rises to at least 32768. A white level at or below black
    // leaves nothing to scale; it is taken as 1 so the picture comes out black, not undefined.
    if (sensor.whiteLevel < 1) sensor.whiteLevel = 1;
    int shift = 0;
    while ((sensor.whiteLevel << shift) < 32768)
        ++shift;
    for (int c = 0; c < colours; ++c)
        gain[c] *= static_cast<float>(1 << shift);
    sensor.whiteLevel <<= shift;

    const float brightness = s.colour.brightness;
    if (brightness < 1) {
        sensor.whiteLevel = std::min(static_cast<int>(sensor.whiteLevel * brightness), 65535);
        for (int c = 0; c < colours; ++c)
            gain[c] *= brightness;
    }
    sensor.clipLevel = sensor.clipToWhite ? sensor.whiteLevel : 65535;

    const int black = sensor.blackLevel;
    const float clip = static_cast<float>(std::min(sensor.clipLevel, 65535));
    std::uint16_t* pixel = s.image.get();
    for (std::size_t i = pixelCount(s.geometry); i--; pixel += 4) {
        for (int c = 0; c < colours; ++c) {
            if (!pixel[c]) continue;
            const float v = static_cast<float>(pixel[c] - black) * gain[c];
            pixel[c] = static_cast<std::uint16_t>(std::clamp(v, 0.0f, clip));
        }
    }
}

}  // namespace tavrin::raw

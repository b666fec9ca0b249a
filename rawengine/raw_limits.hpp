#pragma once
// The limits every size taken from a RAW file is held to before anything is allocated.

#include <cstdint>

namespace tavrin::raw {

// No sensor has more pixels than this.
inline constexpr std::int64_t kMaxRawPixels = 200'000'000;
// No raw format stores a pixel in less than a sixteenth of a byte (the most compact codes
// need about a bit per pixel); a size claiming more pixels than that is not what the file holds.
inline constexpr std::int64_t kMaxPixelsPerFileByte = 16;
// No side of a sensor, even counted in bytes of a stored row, is longer than this: a side beyond
// it (with 0 for the other) would only make every row loop run for minutes over nothing.
inline constexpr std::int64_t kMaxRawSide = 1 << 17;
// Container nesting the parsers follow (TIFF directories keep the formats layer's limits).
inline constexpr int kMaxNesting = 8;

inline bool rawSizeAllowed(std::int64_t height, std::int64_t width, std::uint64_t fileSize) {
    if (height < 0 || width < 0 || height > kMaxRawSide || width > kMaxRawSide) return false;
    const std::int64_t pixels = height * width;
    return pixels <= kMaxRawPixels &&
           pixels <= static_cast<std::int64_t>(fileSize) * kMaxPixelsPerFileByte;
}

}  // namespace tavrin::raw

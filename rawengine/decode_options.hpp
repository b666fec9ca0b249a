#pragma once
// What a caller decides for a decode beyond the picture's size and quality: the callers fill it
// from the user's settings, tests and tools as they need.

#include <cstdint>

namespace tavrin::raw {

class LearnedColourStore;

struct DecodeOptions {
    // The picture's brightness is 1.2 raised to this index.
    int brightnessIndex = 0;
    // 0 the fixed balance, 1 the camera's, 2 automatic; the decode's override goes above it.
    std::uint32_t whiteBalanceMode = 0;
    // Whether a camera without matrix numbers may fit its colours to the file's preview; without,
    // it uses only what earlier fits taught.
    bool colourFit = true;
    // Where fits are remembered between decodes; none: nothing is read or kept.
    LearnedColourStore* learnedColours = nullptr;
};

}  // namespace tavrin::raw

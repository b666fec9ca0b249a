#pragma once
// Cameras with non-square pixels, and the size that shows their pictures in true proportion.

#include <string_view>

#include "rawengine/decode_state.hpp"

namespace tavrin::raw {

struct Stretch {
    std::string_view make, modelPrefix;
    int width, height;
};

inline constexpr Stretch kStretches[] = {
    {"NIKON", "D1X", 3008, 1960},
    {"Kodak", "DC2", 322, 242},
    {"Kodak", "DC120", 1301, 976},  // 848 x 976 sensor pixels, a 4:3 picture
};

// The camera's stretch, or nullptr for square pixels.
inline const Stretch* stretchFor(const Identity& id) {
    for (const Stretch& stretch : kStretches) {
        if (id.make == stretch.make && id.model.starts_with(stretch.modelPrefix)) return &stretch;
    }
    return nullptr;
}

}  // namespace tavrin::raw

#pragma once
// The shell object's icon resources: the type icons (ids 208-217: one file figure, plain, crossed
// out or marked with a maker's letter) in 16, 32, 48 and 64 pixels, and the red cross of id 218
// (64 pixels) that put-aside thumbnails carry.

#include <cstdint>
#include <optional>
#include <vector>

namespace tavrin::resources {

inline constexpr int kFirstTypeIcon = 208;
inline constexpr int kCrossIcon = 218;

// Straight (not premultiplied) 0xAARRGGBB pixels, row by row from the top.
struct IconImage {
    int size = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * size + x]; }
};

// The image of an icon resource at one of its sizes; nothing for other ids or sizes.
std::optional<IconImage> loadIconImage(int resourceId, int size);

}  // namespace tavrin::resources

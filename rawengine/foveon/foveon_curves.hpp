#pragma once
// The tone curves of the three stacked layers. A layer's response to light is not quite linear;
// its curve, given as control points in a parameter text, brings it back to linear before the
// colour conversion.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrin::raw {

using ToneCurve = std::vector<std::uint16_t>;

// A lookup table of white + 1 entries from points: pairs "x y" of fractions of white (0..1),
// x strictly rising, separated by blanks or commas; linear between the points and held flat
// beyond the first and last. None when the text is not such a list of at least two points.
// Throws the memory error for "foveon_make_curve()" when the table cannot be allocated.
std::optional<ToneCurve> foveonMakeCurve(std::string_view points, int white);

// One curve per layer from its text; a layer without a text or with a malformed one keeps its
// values (no curve).
std::array<std::optional<ToneCurve>, 3> foveonMakeCurves(
    const std::array<std::optional<std::string_view>, 3>& points, const std::array<int, 3>& white);

}  // namespace tavrin::raw

#pragma once
// The table that maps the converted 16-bit values to 8-bit output: the white point from the
// histogram's 99th percentile, the brightness setting and the gamma curve.

#include <array>
#include <cstdint>
#include <memory>

#include "rawengine/decode_state.hpp"

namespace tavrin::raw {

using ToneTable = std::array<std::uint8_t, 65536>;

// minimumWhiteBin raises the white point for outputs that must not brighten dark pictures.
std::unique_ptr<ToneTable> buildToneTable(const DecodeState& s, int minimumWhiteBin = 0);

}  // namespace tavrin::raw

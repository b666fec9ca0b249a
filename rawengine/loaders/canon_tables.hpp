#pragma once
// The three Huffman table sets of Canon's compressed CRW data, chosen by the decoder table
// number the file records.

#include <array>
#include <cstdint>

namespace tavrin::raw {

struct CanonTreeSet {
    std::array<std::uint8_t, 16 + 13> first;    // the first sample of each block
    std::array<std::uint8_t, 16 + 162> second;  // the other 63
};

extern const std::array<CanonTreeSet, 3> kCanonTrees;

}  // namespace tavrin::raw

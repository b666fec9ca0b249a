#pragma once
// The Huffman tree of Foveon image data: 1024 code words, each holding its length in the top 5
// bits and its bits in the low 27; a leaf's value is the index of its code word.

#include <array>
#include <cstdint>

#include "rawengine/io/huffman.hpp"

namespace tavrin::raw {

inline constexpr std::size_t kFoveonCodes = 1024;
using FoveonCodeWords = std::array<std::uint32_t, kFoveonCodes>;

// Resets the pool and builds the tree from its first node: a node whose code (length, bits)
// equals a non-zero code word becomes a leaf with that word's first index; other nodes branch
// for the code extended by 0 and 1, and a node deeper than 26 bits stays empty (leaf 0). Throws
// "decoder table overflow" when the code words leave too many branches open for the pool.
HuffmanNode* buildFoveonTree(HuffmanPool& pool, const FoveonCodeWords& codes);

}  // namespace tavrin::raw

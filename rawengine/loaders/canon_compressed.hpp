#pragma once
// Canon's compressed CRW data: 64-sample blocks of Huffman-coded differences with the low two
// bits of every sample stored apart.

#include "rawengine/decode_context.hpp"

namespace tavrin::raw {

struct CanonTrees {
    const HuffmanNode* firstTreeRoot;
    const HuffmanNode* secondTreeRoot;
};

// Builds the table set of the given decoder table number (numbers above 2 use set 2).
CanonTrees initCanonTrees(HuffmanPool& pool, int table);

}  // namespace tavrin::raw

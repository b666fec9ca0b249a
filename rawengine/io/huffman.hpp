#pragma once
// Binary Huffman trees built from a JPEG-style description (16 counts of codes per length, then
// the symbols in code order) in a pool of 2048 nodes, decoded bit by bit or through a lookup
// table that gives the same symbols.

#include <array>
#include <cstdint>
#include <memory>

#include "rawengine/io/bit_reader.hpp"

namespace tavrin::raw {

struct HuffmanNode {
    HuffmanNode* branch0 = nullptr;
    HuffmanNode* branch1 = nullptr;
    std::int32_t leaf = 0;
};

class HuffmanPool {
  public:
    static constexpr std::size_t kNodes = 2048;

    // The nodes are allocated with the first tree: identification alone never needs them.
    HuffmanPool() = default;

    // Zero-fills the pool and starts again at its first node.
    void reset();

    // Builds one tree from source (16 counts, then symbols; sourceSize bytes at most, reads past
    // it give symbol 0). Returns the root and the number of description bytes consumed. Throws
    // CImageLoaderException "decoder table overflow" when the pool runs out.
    HuffmanNode* BuildHuffmanTree(const std::uint8_t* source, std::size_t sourceSize,
                                  std::size_t* consumed = nullptr);

  private:
    void build(HuffmanNode* node, const std::uint8_t* source, std::size_t sourceSize, int depth);
    HuffmanNode* take();

    std::unique_ptr<std::array<HuffmanNode, kNodes>> nodes_;
    std::size_t next_ = 0;
    std::size_t leafIndex_ = 0;
};

// The leaf reached by walking from root one bit at a time.
std::int32_t DecodeSymbol(const HuffmanNode* root, BitReader& bits);

// The signed difference of lossless JPEG coding: a length symbol, then that many bits.
std::int32_t DecodeDifference(const HuffmanNode* root, BitReader& bits);

// A lookup table over the first kBits bits of a tree's codes: codes no longer than that are
// decoded by one peek; longer ones continue the walk from where the table ends.
class HuffmanTable {
  public:
    static constexpr int kBits = 9;

    explicit HuffmanTable(const HuffmanNode* root);
    std::int32_t decode(BitReader& bits) const;
    std::int32_t difference(BitReader& bits) const;

  private:
    struct Entry {
        const HuffmanNode* node;  // the leaf, or where the walk goes on
        std::uint8_t length;      // bits the entry consumes
        bool complete;
    };
    const HuffmanNode* root_;
    std::array<Entry, 1u << kBits> entries_;
};

}  // namespace tavrin::raw

#pragma once
// Binary Huffman trees built from a JPEG-style description (16 counts of codes per length, then
// the symbols in code order; every symbol is a byte) in a pool of 2048 nodes, decoded bit by bit or
// through a lookup table that gives the same symbols.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "rawengine/io/bit_reader.hpp"

namespace tavrin::raw {

struct HuffmanNode {
    HuffmanNode* branch0 = nullptr;
    HuffmanNode* branch1 = nullptr;
    std::int32_t leaf = 0;

    bool isLeaf() const { return branch0 == nullptr; }
};

class HuffmanPool {
  public:
    static constexpr std::size_t kNodes = 2048;

    // The nodes are allocated with the first tree: identification alone never needs them.
    HuffmanPool() = default;

    // Zero-fills the pool and starts again at its first node.
    void reset();
    // The pool's first node: the root of the first tree built after a reset.
    HuffmanNode* first();

    // Builds one tree from source (16 counts, then symbols; sourceSize bytes at most, reads past
    // it give symbol 0). Returns the root and the number of description bytes consumed. Throws
    // CImageLoaderException "decoder table overflow" when the pool runs out.
    HuffmanNode* buildHuffmanTree(const std::uint8_t* source, std::size_t sourceSize,
                                  std::size_t* consumed = nullptr);

    // The next free node, for trees built from other descriptions. Throws "decoder table
    // overflow" when the pool runs out.
    HuffmanNode* take();

  private:
    void build(HuffmanNode* node, const std::uint8_t* source, std::size_t sourceSize, int depth);

    std::unique_ptr<std::array<HuffmanNode, kNodes>> nodes_;
    std::size_t next_ = 0;
    std::size_t leafIndex_ = 0;
};

// The leaf reached by walking from root one bit at a time (from a BitReader or StreamBits).
template <typename Bits>
std::int32_t decodeSymbol(const HuffmanNode* node, Bits& bits) {
    while (!node->isLeaf())
        node = bits.GetBits(1) == 0 ? node->branch0 : node->branch1;
    return node->leaf;
}

// The signed difference of lossless JPEG coding: a length symbol, then that many bits.
std::int32_t decodeDifference(const HuffmanNode* root, BitReader& bits);

// The value of n difference bits: those with the top bit clear stand for negative values.
// Branch-free: the sign is a coin toss for the processor's predictor.
inline std::int32_t signedDifference(std::uint32_t value, int n) {
    if (n == 0) return 0;
    const auto v = static_cast<std::int32_t>(value);
    const std::int32_t negative = ((v >> (n - 1)) & 1) - 1;  // -1 when the top bit is clear
    return v - (negative & ((1 << n) - 1));
}

// How many extra bits follow a symbol in a format's code.
using ExtraBitsRule = int (*)(std::int32_t symbol);

// Lossless JPEG's rule: the symbol is the number of difference bits.
inline int jpegExtraBits(std::int32_t symbol) {
    return std::clamp(symbol, 0, 25);
}

// A lookup table over the first kBits bits of a tree's codes: codes no longer than that are
// decoded by one peek; longer ones continue the walk from where the table ends. Where a code and
// the extra bits after it fit in kBits together, one lookup also gives their signed value (for
// byte symbols; larger symbols, as in Foveon trees, are only decoded).
class HuffmanTable {
  public:
    static constexpr int kBits = 11;

    explicit HuffmanTable(const HuffmanNode* root, ExtraBitsRule extraBits = jpegExtraBits);

    template <typename Bits>
    std::int32_t decode(Bits& bits) const {
        const Entry e = entries_[bits.peek(kBits)];
        bits.consume(static_cast<int>(e.length));
        return e.partial ? decodeSymbol(nodes_[static_cast<std::size_t>(e.leaf)], bits) : e.leaf;
    }

    // A symbol and the signed value of the extra bits after it; the same bits as decode, then
    // GetBits and signedDifference.
    template <typename Bits>
    std::int32_t decodeValue(Bits& bits, std::int32_t& value) const {
        const Resolved r = resolved_[bits.peek(kBits)];
        if (r.bits == 0) return decodeValueSlowly(bits, value);
        bits.consume(r.bits);
        value = r.value;
        return r.symbol;
    }

    // The signed difference of lossless JPEG coding: a length symbol, then that many bits.
    std::int32_t difference(BitReader& bits) const {
        std::int32_t value = 0;
        decodeValue(bits, value);
        return value;
    }

  private:
    template <typename Bits>
    std::int32_t decodeValueSlowly(Bits& bits, std::int32_t& value) const {
        const std::int32_t symbol = decode(bits);
        const int extra = extraBits_[static_cast<std::size_t>(symbol)];
        value = signedDifference(bits.GetBits(extra), extra);
        return symbol;
    }

    // A code of at most kBits: its symbol and length. A longer one (partial): the walk goes on
    // from nodes_[leaf] after kBits bits.
    struct Entry {
        std::int32_t leaf : 23;
        std::uint32_t partial : 1;
        std::uint32_t length : 8;
    };
    // A code with its extra bits: the value, the symbol and the bits used; 0 bits when they do
    // not fit the table.
    struct Resolved {
        std::int16_t value;
        std::uint8_t symbol;
        std::uint8_t bits;
    };
    std::vector<const HuffmanNode*> nodes_;
    std::array<std::uint8_t, 256> extraBits_{};
    std::array<Entry, 1u << kBits> entries_;
    std::array<Resolved, 1u << kBits> resolved_{};
};

}  // namespace tavrin::raw

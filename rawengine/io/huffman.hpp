#pragma once
// Binary Huffman trees built from a JPEG-style description (16 counts of codes per length, then
// the symbols in code order) in a pool of 2048 nodes, decoded bit by bit or through a lookup
// table that gives the same symbols.

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

// The value of n difference bits: those with the top bit clear stand for negative values.
// Branch-free: the sign is a coin toss for the processor's predictor.
inline std::int32_t signedDifference(std::uint32_t value, int n) {
    if (n == 0) return 0;
    const auto v = static_cast<std::int32_t>(value);
    const std::int32_t negative = ((v >> (n - 1)) & 1) - 1;  // -1 when the top bit is clear
    return v - (negative & ((1 << n) - 1));
}

// A lookup table over the first kBits bits of a tree's codes: codes no longer than that are
// decoded by one peek; longer ones continue the walk from where the table ends.
class HuffmanTable {
  public:
    static constexpr int kBits = 11;

    explicit HuffmanTable(const HuffmanNode* root);

    std::int32_t decode(BitReader& bits) const {
        const Entry e = entries_[bits.peek(kBits)];
        bits.consume(static_cast<int>(e.length));
        return e.partial ? DecodeSymbol(nodes_[static_cast<std::size_t>(e.leaf)], bits) : e.leaf;
    }

    // A symbol and the extra bits that follow it, lengthOf(symbol) (at most 25) of them, read
    // together when the code is in the table. Gives the same bits as decode, then GetBits.
    template <typename LengthOf>
    std::int32_t decodeWithBits(BitReader& bits, LengthOf lengthOf, std::uint32_t& extra,
                                int& extraLength) const {
        constexpr int kWindow = kBits + 16;
        const std::uint32_t window = bits.peek(kWindow);
        const Entry e = entries_[window >> 16];
        if (!e.partial) {
            extraLength = lengthOf(e.leaf);
            const int used = static_cast<int>(e.length) + extraLength;
            if (extraLength <= 16) {
                extra = extraLength ? (window >> (kWindow - used)) & ((1u << extraLength) - 1) : 0;
                bits.consume(used);
                return e.leaf;
            }
        }
        const std::int32_t symbol = decode(bits);
        extraLength = lengthOf(symbol);
        extra = bits.GetBits(extraLength);
        return symbol;
    }

    // The signed difference of lossless JPEG coding: a length symbol, then that many bits.
    std::int32_t difference(BitReader& bits) const {
        std::uint32_t value = 0;
        int length = 0;
        decodeWithBits(
            bits, [](std::int32_t symbol) { return std::clamp(symbol, 0, 25); }, value, length);
        return signedDifference(value, length);
    }

  private:
    // A code of at most kBits: its symbol and length. A longer one (partial): the walk goes on
    // from nodes_[leaf] after kBits bits.
    struct Entry {
        std::int32_t leaf : 23;
        std::uint32_t partial : 1;
        std::uint32_t length : 8;
    };
    std::vector<const HuffmanNode*> nodes_;
    std::array<Entry, 1u << kBits> entries_;
};

}  // namespace tavrin::raw

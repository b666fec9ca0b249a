#include "rawengine/io/huffman.hpp"

#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
void HuffmanPool::reset() {
    if (nodes_) {
        nodes_->fill(HuffmanNode{});
    } else {
        nodes_ = std::make_unique<std::array<HuffmanNode, kNodes>>();
    }
    next_ = 0;
}

HuffmanNode* HuffmanPool::first() {
    if (!nodes_) reset();
    return nodes_->data();
}

HuffmanNode* HuffmanPool::take() {
    if (!nodes_) reset();
    if (next_ >= kNodes) throw CImageLoaderException("decoder table overflow");
    return &(*nodes_)[next_++];
}

HuffmanNode* HuffmanPool::buildHuffmanTree(const std::uint8_t* source, std::size_t sourceSize,
                                           std::size_t* consumed) {
    leafIndex_ = 0;
    HuffmanNode* root = take();
    build(root, source, sourceSize, 0);
    if (consumed) *consumed = 16 + leafIndex_;
    return root;
}

void HuffmanPool::build(HuffmanNode* node, const std::uint8_t* source, std::size_t sourceSize,
                        int depth) {
    auto at = [&](std::size_t i) -> unsigned { return i < sourceSize ? source[i] : 0; };
    std::size_t i = 0;
    int k = 0;
    while (i <= leafIndex_ && k < 16)
        i += at(k++);
    if (i <= leafIndex_) return;  // symbols used up: an empty node
    if (depth < k) {
        node->branch0 = take();
        build(node->branch0, source, sourceSize, depth + 1);
        node->branch1 = take();
        build(node->branch1, source, sourceSize, depth + 1);
    } else {
        node->leaf = static_cast<std::int32_t>(at(16 + leafIndex_++));
    }
}

std::int32_t decodeDifference(const HuffmanNode* root, BitReader& bits) {
    const int n = std::clamp(decodeSymbol(root, bits), 0, 25);
    return signedDifference(bits.GetBits(n), n);
}

HuffmanTable::HuffmanTable(const HuffmanNode* root, ExtraBitsRule extraBits) {
    for (std::size_t symbol = 0; symbol < extraBits_.size(); ++symbol)
        extraBits_[symbol] =
            static_cast<std::uint8_t>(extraBits(static_cast<std::int32_t>(symbol)));
    for (std::uint32_t code = 0; code < entries_.size(); ++code) {
        const HuffmanNode* node = root;
        int length = 0;
        while (!node->isLeaf() && length < kBits) {
            node = (code >> (kBits - 1 - length)) & 1 ? node->branch1 : node->branch0;
            ++length;
        }
        if (!node->isLeaf()) {
            entries_[code] = Entry{static_cast<std::int32_t>(nodes_.size()), 1, kBits};
            nodes_.push_back(node);
            continue;
        }
        entries_[code] = Entry{node->leaf, 0, static_cast<std::uint32_t>(length)};
        if (static_cast<std::uint32_t>(node->leaf) >= extraBits_.size()) continue;
        const int extra = extraBits_[static_cast<std::size_t>(node->leaf)];
        const int used = length + extra;
        if (used > kBits) continue;
        const std::uint32_t value = (code >> (kBits - used)) & ((1u << extra) - 1);
        resolved_[code] =
            Resolved{static_cast<std::int16_t>(signedDifference(value, extra)),
                     static_cast<std::uint8_t>(node->leaf), static_cast<std::uint8_t>(used)};
    }
}

}  // namespace tavrin::raw

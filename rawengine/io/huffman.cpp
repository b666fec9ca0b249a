#include "rawengine/io/huffman.hpp"

#include "rawengine/loader_exception.hpp"

namespace tavrin::raw {
namespace {

bool isLeaf(const HuffmanNode* node) {
    return node->branch0 == nullptr;
}

std::int32_t differenceOf(std::uint32_t length, BitReader& bits) {
    if (length == 0) return 0;
    // Valid data has lengths up to 16; the bit reader gives at most 25 bits at a time.
    const int n = static_cast<int>(length > 25 ? 25 : length);
    const std::int32_t value = static_cast<std::int32_t>(bits.GetBits(n));
    if ((value & (1 << (n - 1))) == 0) return value - ((1 << n) - 1);
    return value;
}

}  // namespace

void HuffmanPool::reset() {
    if (nodes_) {
        nodes_->fill(HuffmanNode{});
    } else {
        nodes_ = std::make_unique<std::array<HuffmanNode, kNodes>>();
    }
    next_ = 0;
}

HuffmanNode* HuffmanPool::take() {
    if (!nodes_) reset();
    if (next_ >= kNodes) throw CImageLoaderException("decoder table overflow");
    return &(*nodes_)[next_++];
}

HuffmanNode* HuffmanPool::BuildHuffmanTree(const std::uint8_t* source, std::size_t sourceSize,
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

std::int32_t DecodeSymbol(const HuffmanNode* node, BitReader& bits) {
    while (!isLeaf(node))
        node = bits.GetBits(1) == 0 ? node->branch0 : node->branch1;
    return node->leaf;
}

std::int32_t DecodeDifference(const HuffmanNode* root, BitReader& bits) {
    return differenceOf(static_cast<std::uint32_t>(DecodeSymbol(root, bits)), bits);
}

HuffmanTable::HuffmanTable(const HuffmanNode* root) : root_(root) {
    for (std::uint32_t code = 0; code < entries_.size(); ++code) {
        const HuffmanNode* node = root;
        int length = 0;
        while (!isLeaf(node) && length < kBits) {
            node = (code >> (kBits - 1 - length)) & 1 ? node->branch1 : node->branch0;
            ++length;
        }
        entries_[code] = Entry{node, static_cast<std::uint8_t>(length), isLeaf(node)};
    }
}

std::int32_t HuffmanTable::decode(BitReader& bits) const {
    if (isLeaf(root_)) return root_->leaf;  // reads nothing, as the walk does
    const Entry& e = entries_[bits.peek(kBits)];
    bits.consume(e.length);
    return e.complete ? e.node->leaf : DecodeSymbol(e.node, bits);
}

std::int32_t HuffmanTable::difference(BitReader& bits) const {
    return differenceOf(static_cast<std::uint32_t>(decode(bits)), bits);
}

}  // namespace tavrin::raw

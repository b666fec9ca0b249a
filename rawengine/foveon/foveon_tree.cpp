#include "rawengine/foveon/foveon_tree.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace tavrin::raw {
namespace {

constexpr int kLengthShift = 27;
constexpr int kMaxCodeLength = 26;

// The code words in order with the first index of each, for binary search.
class CodeIndex {
  public:
    explicit CodeIndex(const FoveonCodeWords& codes) {
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] != 0) words_.emplace_back(codes[i], static_cast<std::int32_t>(i));
        }
        // Stable: among equal words the first index comes first.
        std::stable_sort(words_.begin(), words_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }

    // The index of the code word, or -1.
    std::int32_t find(std::uint32_t word) const {
        const auto it =
            std::lower_bound(words_.begin(), words_.end(), word,
                             [](const auto& entry, std::uint32_t w) { return entry.first < w; });
        return it != words_.end() && it->first == word ? it->second : -1;
    }

  private:
    std::vector<std::pair<std::uint32_t, std::int32_t>> words_;
};

void build(HuffmanPool& pool, const CodeIndex& index, HuffmanNode* node, int length,
           std::uint32_t bits) {
    if (length > kMaxCodeLength) return;
    const std::int32_t leaf = index.find(static_cast<std::uint32_t>(length) << kLengthShift | bits);
    if (leaf >= 0) {
        node->leaf = leaf;
        return;
    }
    node->branch0 = pool.take();
    build(pool, index, node->branch0, length + 1, bits << 1);
    node->branch1 = pool.take();
    build(pool, index, node->branch1, length + 1, bits << 1 | 1);
}

}  // namespace

HuffmanNode* buildFoveonTree(HuffmanPool& pool, const FoveonCodeWords& codes) {
    pool.reset();
    const CodeIndex index(codes);
    HuffmanNode* root = pool.take();
    build(pool, index, root, 0, 0);
    return root;
}

}  // namespace tavrin::raw

#include "rawengine/loaders/canon_compressed.hpp"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "rawengine/io/stream_bits.hpp"
#include "rawengine/loaders/canon_tables.hpp"
#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {
namespace {

constexpr std::uint64_t kDataStart = 540;
constexpr std::uint64_t kLowBitsStart = 26;
constexpr int kBandRows = 8;
constexpr int kBlock = 64;

// Cameras that store the low bits put them before the Huffman data; the coded data contains
// 0xFF bytes only as stuffed pairs (0xFF 0x00), so a 0xFF followed by anything else near the
// start means the low bits come first.
bool hasLowBits(formats::FileReader& file) {
    std::vector<std::uint8_t> head(16384, 0);
    file.seek(0);
    file.read(head.data(), head.size());
    bool present = true;
    for (std::size_t i = kDataStart; i < head.size() - 1; ++i) {
        if (head[i] != 0xFF) continue;
        if (head[i + 1]) return true;
        present = false;
    }
    return present;
}

// The difference bits after a symbol; 0xFF is followed by none.
int canonExtraBits(std::int32_t symbol) {
    return symbol == 0xFF ? 0 : symbol & 15;
}

// Widens each sample of the band by its two stored low bits.
// bytes holds a quarter of the strip's samples.
void addLowBits(DecodeContext& ctx, int bandRow, std::vector<std::uint16_t>& strip,
                std::vector<std::uint8_t>& bytes) {
    const int rawWidth = ctx.state.geometry.rawWidth;
    const std::uint64_t resume = ctx.file.tell();
    ctx.file.seek(kLowBitsStart + static_cast<std::uint64_t>(bandRow) * rawWidth / 4);
    const std::size_t got = ctx.file.read(bytes.data(), bytes.size());
    std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(got), bytes.end(), 0xFF);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (int k = 0; k < 4; ++k) {
            std::uint16_t& sample = strip[i * 4 + k];
            unsigned value = (sample << 2) + ((bytes[i] >> (k * 2)) & 3);
            if (rawWidth == 2672 && value < 512) value += 2;
            sample = static_cast<std::uint16_t>(value);
        }
    }
    ctx.file.seek(resume);
}

}  // namespace

CanonTrees initCanonTrees(HuffmanPool& pool, int table) {
    const CanonTreeSet& set = kCanonTrees[static_cast<std::size_t>(std::clamp(table, 0, 2))];
    pool.reset();
    CanonTrees trees{};
    trees.firstTreeRoot = pool.buildHuffmanTree(set.first.data(), set.first.size());
    trees.secondTreeRoot = pool.buildHuffmanTree(set.second.data(), set.second.size());
    return trees;
}

void loadCanonCompressedRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    const CanonTrees trees = initCanonTrees(ctx.huffman, s.container.canonTable);
    const HuffmanTable first(trees.firstTreeRoot, canonExtraBits),
        second(trees.secondTreeRoot, canonExtraBits);
    const int rawWidth = std::max(g.rawWidth, 0);
    std::vector<std::uint16_t> strip(static_cast<std::size_t>(rawWidth) * kBandRows, 0);
    std::vector<std::uint8_t> lowBitBytes(strip.size() / 4);

    const bool lowBits = hasLowBits(ctx.file);
    if (!lowBits) s.sensor.whiteLevel = 1023;
    ctx.file.seek(kDataStart +
                  (lowBits ? static_cast<std::uint64_t>(g.rawHeight) * rawWidth / 4 : 0));
    // No code takes more than 31 bits a sample, doubled by stuffing at worst.
    const CodedStream coded(ctx.file, static_cast<std::uint64_t>(g.rawHeight) * rawWidth * 8 + 64);
    StreamBits bits = coded.bits();

    MarginBlack black(s);
    // Only the low 16 bits of a sample count: the sums wrap as unsigned values, however long a
    // hostile file makes them run.
    std::uint32_t carry = 0;
    std::uint32_t even = 0, odd = 0;  // the last sample of each column parity
    int column = 0;                   // the sensor column of the next sample
    const int blocks = rawWidth / 8;
    // The output loop clears what it takes; a run may point up to 15 places past the block.
    std::array<int, kBlock + 16> difference{};
    for (int row = 0; row < g.rawHeight; row += kBandRows) {
        for (int block = 0; block < blocks; ++block) {
            // A symbol: a run of zero differences (high nibble) and the length of the next
            // difference (low nibble); 0xFF skips one position. The first comes from the first
            // table; after it, 0 ends the block.
            std::int32_t value = 0;
            int symbol = first.decodeValue(bits, value);
            for (int i = 0;;) {
                if (symbol != 0xFF) {
                    i += symbol >> 4;
                    difference[static_cast<std::size_t>(i)] = value;  // past the block: padding
                }
                if (++i >= kBlock) break;
                symbol = second.decodeValue(bits, value);
                if (symbol == 0) break;
            }
            carry += static_cast<std::uint32_t>(difference[0]);
            difference[0] = static_cast<std::int32_t>(carry);
            std::uint16_t* out = strip.data() + block * kBlock;
            // Each sensor row starts from the same base; a block may span rows.
            for (int i = 0; i < kBlock;) {
                if (column == 0) even = odd = 512;
                const int end = std::min(kBlock, i + rawWidth - column);
                column += end - i;
                if (column == rawWidth) column = 0;
                for (; i < end; ++i) {
                    const auto d = static_cast<std::uint32_t>(std::exchange(difference[i], 0));
                    if (i & 1) {
                        odd += d;
                        out[i] = static_cast<std::uint16_t>(odd);
                    } else {
                        even += d;
                        out[i] = static_cast<std::uint16_t>(even);
                    }
                }
            }
        }
        if (lowBits) addLowBits(ctx, row, strip, lowBitBytes);
        for (int k = 0; k < kBandRows; ++k) {
            placeRow(s, black, row + k - g.topMargin,
                     strip.data() + static_cast<std::size_t>(k) * rawWidth, rawWidth, g.leftMargin);
        }
    }
    black.finish(s);
}

}  // namespace tavrin::raw

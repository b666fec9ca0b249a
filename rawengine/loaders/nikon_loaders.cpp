// Nikon's formats (and the cameras that share their layouts): the compressed NEF with its tone
// curve, 12-bit packed rows, and the interlaced Coolpix E rows.

#include <algorithm>
#include <array>
#include <vector>

#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {
namespace {

constexpr std::array<std::uint8_t, 16 + 14> kNikonTree{
    0, 1, 5, 1, 1, 1, 1, 1, 1, 2, 0, 0, 0, 0, 0, 0, 5, 4, 3, 6, 2, 7, 1, 0, 8, 9, 11, 10, 12, 0};

std::uint64_t roundUp(std::uint64_t value, std::uint64_t multiple) {
    return (value + multiple - 1) / multiple * multiple;
}

// Coolpix models store the even rows as one field and the odd ones as the second.
bool isInterlaced(const DecodeState& s) {
    return !s.id.model.empty() && s.id.model[0] == 'E';
}

}  // namespace

void loadNikonCompressedRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    ctx.huffman.reset();
    const HuffmanTable tree(ctx.huffman.buildHuffmanTree(kNikonTree.data(), kNikonTree.size()));

    ctx.file.seek(s.container.nikonCurveOffset);
    // Wide enough that no row count or width a file may claim makes the sums overflow.
    std::int64_t vertical[2][2];
    for (auto& pair : vertical) {
        for (std::int64_t& v : pair)
            v = ctx.file.readU16();
    }
    const std::size_t size = ctx.file.readU16();
    std::vector<std::uint16_t> curve(std::max<std::size_t>(size, 1));
    ctx.file.readU16Array(curve.data(), size);
    const int last = static_cast<int>(curve.size()) - 1;

    ctx.file.seek(s.container.dataOffset);
    BitReader bits = ctx.bits;  // a local copy the compiler can keep in registers
    bits.GetBits(-1);
    for (int row = 0; row < g.height; ++row) {
        std::int64_t horizontal[2] = {0, 0};
        for (int col = 0; col < g.rawWidth; ++col) {
            const int d = tree.difference(bits);
            if (col < 2) {
                vertical[row & 1][col] += d;
                horizontal[col] = vertical[row & 1][col];
            } else {
                horizontal[col & 1] += d;
            }
            const int x = col - g.leftMargin;
            if (static_cast<unsigned>(x) < static_cast<unsigned>(g.width))
                placeSample(s, row, x,
                            curve[static_cast<std::size_t>(
                                std::clamp<std::int64_t>(horizontal[col & 1], 0, last))]);
        }
    }
    s.sensor.whiteLevel = curve[last];
}

void loadNikonPackedRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    const bool interlaced = isInterlaced(s);
    const bool padded = s.container.compression == 34713;
    ctx.bits.GetBits(-1);
    for (int i = 0; i < g.height; ++i) {
        const int row = interlaced ? interlacedRow(i, g.height) : i;
        if (interlaced && row == 1 && s.container.dataOffset == 0) {
            ctx.file.seek(ctx.file.size() / 2);
            ctx.bits.GetBits(-1);
        }
        for (int col = 0; col < g.rawWidth; ++col) {
            placeSample(s, row, col - g.leftMargin, ctx.bits.GetBits(12));
            if (padded && col % 10 == 9) ctx.bits.GetBits(8);
        }
    }
}

// Each row starts on its own, rawWidth bytes after the previous one; the second field starts
// at the next 4096-byte boundary.
void loadNikonE900Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::uint64_t offset = s.container.dataOffset;
    for (int i = 0; i < g.height; ++i) {
        const int row = interlacedRow(i, g.height);
        if (row == 1) offset = roundUp(offset, 4096);
        ctx.file.seek(offset);
        ctx.bits.GetBits(-1);
        for (int col = 0; col < g.width; ++col)
            placeSample(s, row, col, ctx.bits.GetBits(10));
        offset += static_cast<std::uint64_t>(std::max(g.rawWidth, 0));
    }
}

// Two 12-bit samples in three bytes; the second field starts at the next 2048-byte boundary
// (8192 bytes further for the 1616-wide sensor).
void loadNikonE2100Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(rowLength(static_cast<long long>(g.width) * 3 / 2));
    for (int i = 0; i < g.height; ++i) {
        const int row = interlacedRow(i, g.height);
        if (row == 1) {
            ctx.file.seek(roundUp(ctx.file.tell(), 2048) + (g.width == 1616 ? 8192 : 0));
        }
        readBytes(ctx.file, bytes);
        for (std::size_t k = 0; k + 3 <= bytes.size(); k += 3) {
            const int col = static_cast<int>(k / 3 * 2);
            placeSample(s, row, col, bytes[k] << 4 | bytes[k + 1] >> 4);
            placeSample(s, row, col + 1, (bytes[k + 1] & 15) << 8 | bytes[k + 2]);
        }
    }
}

}  // namespace tavrin::raw

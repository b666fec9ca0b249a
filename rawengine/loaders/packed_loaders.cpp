// Packed sample layouts: 12-bit bit streams, the Olympus E-300's padded rows, Casio's and
// Rollei's 10-bit groups, and plain bytes.

#include <vector>

#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {

// rawWidth counts the bytes of a row for these cameras.
void loadPacked12Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    const std::uint64_t start = s.container.dataOffset;
    for (int row = 0; row < g.height; ++row) {
        ctx.file.seek(start + static_cast<std::uint64_t>(row) * std::max(g.rawWidth, 0));
        ctx.bits.GetBits(-1);
        for (int col = 0; col < g.width; ++col)
            placeSample(s, row, col, ctx.bits.GetBits(12));
    }
}

// Two fields, the second F bytes after the first, F being a field's size rounded up to 2048.
void loadOlympusCRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    const std::uint64_t field =
        (static_cast<std::uint64_t>(g.width) * g.height * 3 / 4 + 2047) / 2048 * 2048;
    for (int i = 0; i < g.height; ++i) {
        const int row = interlacedRow(i, g.height);
        if (row < 2) {
            ctx.file.seek(s.container.dataOffset + static_cast<std::uint64_t>(row) * field);
            ctx.bits.GetBits(-1);
        }
        for (int col = 0; col < g.width; ++col)
            placeSample(s, row, col, ctx.bits.GetBits(12));
    }
}

void loadCasioQV5700Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(3232);
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        for (int col = 0; col < g.width && col < 2576; col += 4) {
            const std::uint8_t* b = bytes.data() + col / 4 * 5;
            const unsigned samples[4] = {
                static_cast<unsigned>(b[0] << 2 | b[1] >> 6),
                static_cast<unsigned>(b[1] << 4 | b[2] >> 4),
                static_cast<unsigned>(b[2] << 6 | b[3] >> 2),
                static_cast<unsigned>(b[3] << 8 | b[4]),
            };
            for (int k = 0; k < 4; ++k)
                placeSample(s, row, col + k, samples[k] & 0x3FF);
        }
    }
    s.sensor.whiteLevel = 1020;
}

// Eight 10-bit samples in ten bytes, read as a bit stream.
void loadRolleiRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    ctx.bits.GetBits(-1);
    for (int row = 0; row < g.height; ++row) {
        for (int col = 0; col < g.width; ++col)
            placeSample(s, row, col, ctx.bits.GetBits(10));
    }
    s.sensor.whiteLevel = 1023;
}

// Two 12-bit samples in three bytes, low byte first, with every sixteenth byte a filler.
void loadOlympusE300Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(rowLength(static_cast<long long>(g.rawWidth) * 16 / 10));
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        std::size_t p = 0;
        for (int col = 0; col < g.rawWidth; col += 2) {
            if (p % 16 == 15) ++p;
            if (p + 3 > bytes.size()) break;
            const std::uint8_t* b = bytes.data() + p;
            placeSample(s, row, col, (b[1] << 8 | b[0]) & 0xFFF);
            placeSample(s, row, col + 1, (b[2] << 4 | b[1] >> 4) & 0xFFF);
            p += 3;
        }
    }
}

void loadEightBitRows(DecodeContext& ctx, std::size_t rowBytes) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(rowBytes);
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        for (int col = 0; col < g.width && static_cast<std::size_t>(col) < rowBytes; ++col)
            placeSample(s, row, col, bytes[static_cast<std::size_t>(col)]);
    }
    s.sensor.whiteLevel = 255;
}

void loadEightBitRaw(DecodeContext& ctx) {
    loadEightBitRows(ctx, rowLength(ctx.state.geometry.rawWidth));
}

}  // namespace tavrin::raw

// Rows of 16-bit words in the file's byte order.

#include <vector>

#include "rawengine/loaders/dng_pixels.hpp"
#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {

void loadUnpackedRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint16_t> words(rowLength(g.rawWidth));
    for (int row = 0; row < g.rawHeight; ++row) {
        readWords(ctx.file, words);
        for (int col = 0; col < g.width; ++col) {
            const int x = col + g.leftMargin;
            if (x >= 0 && x < g.rawWidth) placeSample(s, row - g.topMargin, col, words[x]);
        }
    }
}

// A sensor without a colour pattern: one plane of rows per channel.
void loadLeafRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint16_t> words(rowLength(g.rawWidth));
    for (int c = 0; c < std::clamp(s.sensor.colourCount, 1, 4); ++c) {
        for (int row = 0; row < g.height; ++row) {
            readWords(ctx.file, words);
            for (int col = 0; col < g.width && col < g.rawWidth; ++col)
                pixelAt(s, row, col)[c] = words[col];
        }
    }
}

// Each pair of words is scrambled with two keys: the even bits of one word and the odd bits
// of the other are swapped after XOR with the keys.
void loadPhaseOneRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    ctx.file.seek(s.container.phaseOneColumnTable);
    const std::uint16_t akey = ctx.file.readU16();
    const std::uint16_t bkey = ctx.file.readU16();
    ctx.file.seek(s.container.dataOffset +
                  static_cast<std::uint64_t>(std::max(g.topMargin, 0)) * g.rawWidth * 2);
    std::vector<std::uint16_t> words(rowLength(g.rawWidth));
    for (int row = 0; row < g.height; ++row) {
        readWords(ctx.file, words);
        for (std::size_t c = 0; c + 1 < words.size(); c += 2) {
            const unsigned a = words[c] ^ akey;
            const unsigned b = words[c + 1] ^ bkey;
            words[c] = static_cast<std::uint16_t>((b & 0xAAAA) | (a & 0x5555));
            words[c + 1] = static_cast<std::uint16_t>((a & 0xAAAA) | (b & 0x5555));
        }
        for (int col = 0; col < g.width; ++col) {
            const int x = col + g.leftMargin;
            if (x >= 0 && x < g.rawWidth) placeSample(s, row, col, words[x]);
        }
    }
}

// The even file rows fill the upper half of the sensor, the odd ones the lower half.
void loadNucoreRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint16_t> words(rowLength(g.width));
    for (int i = 0; i < g.height; ++i) {
        readWords(ctx.file, words);
        const int row = i / 2 + g.height / 2 * (i % 2);
        for (int col = 0; col < g.width; ++col)
            placeSample(s, row, col, words[col]);
    }
}

void loadDngUncompressedRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    const long long samples = std::clamp(s.container.samplesPerPixel, 1, 4);
    std::vector<std::uint16_t> words(rowLength(g.rawWidth * samples));
    DngPixelWriter writer(s);
    for (int row = 0; row < g.rawHeight; ++row) {
        readWords(ctx.file, words);
        writer.writeRow(row, 0, words, g.rawWidth);
    }
}

}  // namespace tavrin::raw

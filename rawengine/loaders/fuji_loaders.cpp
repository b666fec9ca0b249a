// Fuji's 45-degree sensors: each file row runs along a diagonal of the working image.

#include <vector>

#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {
namespace {

// Rows of rowWords words after a header of skip bytes; sample x of file row i lands at
// (i + fujiWidth - 1 - x / 2, i + (x + 1) / 2).
void loadDiagonalRows(DecodeContext& ctx, std::uint64_t skip, std::size_t rowWords) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    ctx.file.skip(static_cast<std::int64_t>(skip));
    std::vector<std::uint16_t> words(rowWords);
    for (int i = 0; i < g.height - g.fujiWidth; ++i) {
        readWords(ctx.file, words);
        for (int x = 0; x < static_cast<int>(words.size()); ++x)
            placeSample(s, i + g.fujiWidth - 1 - x / 2, i + (x + 1) / 2, words[x]);
    }
}

// Rows read across the diagonal: sample k of file row i lands at
// (i / 2 + diagonal - k, (i + 1) / 2 + k).
void loadCrossRows(DecodeContext& ctx, std::uint64_t skip, std::size_t rowWords, int samples,
                   int diagonal, int rows) {
    DecodeState& s = ctx.state;
    ctx.file.skip(static_cast<std::int64_t>(skip));
    std::vector<std::uint16_t> words(rowWords);
    for (int i = 0; i < rows; ++i) {
        readWords(ctx.file, words);
        for (int k = 0; k < samples && k < static_cast<int>(words.size()); ++k)
            placeSample(s, i / 2 + diagonal - k, (i + 1) / 2 + k, words[k]);
    }
}

}  // namespace

void loadFujiS2Raw(DecodeContext& ctx) {
    loadDiagonalRows(ctx, 141376, 2944);
}

void loadFujiS3Raw(DecodeContext& ctx) {
    loadDiagonalRows(ctx, 17472, 4352);
}

void loadFujiRotatedRaw(DecodeContext& ctx) {
    const bool s5000 = ctx.state.id.model == "FinePix S5000";
    if (s5000) {
        loadCrossRows(ctx, 11824, 1472, 1423, 1423, 2152);
    } else {
        loadCrossRows(ctx, 0, 2048, 2047, 2047, 3080);
    }
}

void loadFujiF700Raw(DecodeContext& ctx) {
    loadCrossRows(ctx, 0, 2944, 1440, 1438, 2168);
}

}  // namespace tavrin::raw

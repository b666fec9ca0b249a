#include <array>

#include "rawengine/foveon/camf_keystream.hpp"
#include "rawengine/foveon/foveon_bits.hpp"
#include "rawengine/foveon/foveon_tree.hpp"
#include "rawengine/loaders/raw_loaders.hpp"

namespace tavrin::raw {
namespace {

constexpr int kFoveonWhite = 65535;

// Each row starts its three predictors at 0; every code gives the difference to a channel's
// previous value in the row.
void decodeRows(DecodeContext& ctx, const HuffmanTable& table,
                const std::array<std::int16_t, kFoveonCodes>& differences) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    FoveonBits bits(ctx.file);
    std::uint16_t* pixel = s.image.get();
    for (int row = 0; row < g.workHeight; ++row) {
        // Sums wrap at 16 bits, as the stored samples do.
        std::uint16_t predictor[3] = {0, 0, 0};
        for (int col = 0; col < g.workWidth; ++col, pixel += 4) {
            for (int c = 0; c < 3; ++c) {
                const auto leaf = static_cast<std::size_t>(table.decode(bits));
                predictor[c] = static_cast<std::uint16_t>(predictor[c] + differences[leaf]);
                pixel[c] = predictor[c];
            }
        }
    }
}

void readMetadata(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    if (!s.metaData || s.container.metaLength == 0) return;
    ctx.file.seek(s.container.metaOffset);
    const std::size_t got = ctx.file.read(s.metaData, s.container.metaLength);
    // A cut block keeps its zero-filled end.
    unscrambleCamf(std::span(s.metaData, got));
}

}  // namespace

void loadFoveonRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    formats::FileReader& f = ctx.file;
    f.setOrder(formats::kLittleEndian);  // X3F files are little-endian throughout
    f.seek(s.container.dataOffset);
    std::array<std::uint16_t, kFoveonCodes> stored{};
    f.readU16Array(stored.data(), stored.size());
    std::array<std::int16_t, kFoveonCodes> differences{};
    for (std::size_t i = 0; i < kFoveonCodes; ++i)
        differences[i] = static_cast<std::int16_t>(stored[i]);
    FoveonCodeWords codes{};
    for (auto& code : codes)
        code = f.readU32();

    const HuffmanTable table(buildFoveonTree(ctx.huffman, codes));
    decodeRows(ctx, table, differences);
    readMetadata(ctx);
    s.sensor.whiteLevel = kFoveonWhite;
    s.sensor.clipLevel = kFoveonWhite;
}

}  // namespace tavrin::raw

// Kodak's formats: plain bytes, and the 65000 codes with per-block field lengths.

#include <algorithm>
#include <array>
#include <vector>

#include "formats/kodak_codes.hpp"
#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {
namespace {

// Values beyond the curve are limited to its last entry.
unsigned limitedCurve(const DecodeState& s, int value) {
    return s.colour.toneCurve[static_cast<std::size_t>(std::clamp(value, 0, 4095))];
}

}  // namespace

// The DC120 stores each row turned: row r begins with the pixel at column
// (kDc120Turn[r mod 4] x r) mod 848 and wraps round to column 0 after the last. Measured on the
// camera's files: each row matches its neighbours only turned by these amounts.
constexpr std::size_t kDc120RowBytes = 848;
constexpr std::array<std::size_t, 4> kDc120Turn = {50, 20, 25, 120};

void loadKodakDc120Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(kDc120RowBytes);
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        const std::size_t turn =
            kDc120Turn[static_cast<std::size_t>(row) % 4] * static_cast<std::size_t>(row);
        for (int col = 0; col < g.width && static_cast<std::size_t>(col) < kDc120RowBytes; ++col) {
            const std::size_t at =
                (static_cast<std::size_t>(col) + kDc120RowBytes - turn % kDc120RowBytes) %
                kDc120RowBytes;
            placeSample(s, row, col, bytes[at]);
        }
    }
    s.sensor.whiteLevel = 255;
}

void loadKodakEasyRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    std::vector<std::uint8_t> bytes(rowLength(g.rawWidth));
    MarginBlack black(s);
    for (int row = 0; row < g.height; ++row) {
        readBytes(ctx.file, bytes);
        for (int col = 0; col < g.rawWidth; ++col)
            placeOrBlack(s, black, row, col, s.colour.toneCurve[bytes[col]]);
    }
    black.finish(s);
}

void loadKodak65000Raw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    formats::FileReader& file = ctx.file;
    formats::KodakFields fields(file);
    formats::KodakLengths lengths{};
    std::array<std::uint16_t, 6> plain{};
    bool raw = false;
    int predictor[2] = {0, 0};
    for (int row = 0; row < g.height; ++row) {
        for (int col = 0; col < g.width; ++col) {
            if (col % 256 == 0) {
                const int length = std::min(256, g.width - col);
                const std::uint64_t start = file.tell();
                raw = !formats::readKodakLengths(file, length, lengths);
                fields.reset();
                predictor[0] = predictor[1] = 0;
                if (length % 8 == 4) fields.preload();
                if (raw) file.seek(start);
            }
            int value;
            if (raw) {
                if (col % 8 == 0) {
                    for (auto& w : plain)
                        w = file.readU16();
                }
                switch (col % 8) {
                    case 0:
                        value = (plain[0] >> 12) << 8 | (plain[2] >> 12) << 4 | plain[4] >> 12;
                        break;
                    case 1:
                        value = (plain[1] >> 12) << 8 | (plain[3] >> 12) << 4 | plain[5] >> 12;
                        break;
                    default:
                        value = plain[col % 8 - 2] & 0xFFF;
                        break;
                }
            } else {
                predictor[col & 1] += fields.next(lengths[col % 256]);
                value = predictor[col & 1];
            }
            placeSample(s, row, col, limitedCurve(s, value));
        }
    }
}

void loadKodakYuvRaw(DecodeContext& ctx) {
    DecodeState& s = ctx.state;
    const Geometry& g = s.geometry;
    formats::forEachKodakYuvPixel(
        ctx.file, g.width, g.height, [&](int row, int col, const int(&sums)[3]) {
            std::uint16_t* pixel = pixelAt(s, row, col);
            for (int k = 0; k < 3; ++k) {
                if (sums[k] > 0) pixel[k] = static_cast<std::uint16_t>(limitedCurve(s, sums[k]));
            }
        });
    s.sensor.whiteLevel = 3700;
}

void loadNothing(DecodeContext&) {}

}  // namespace tavrin::raw

// Kodak's formats: plain bytes, and the 65000 codes with per-block field lengths.

#include <algorithm>
#include <array>
#include <vector>

#include "rawengine/loaders/placement.hpp"
#include "rawengine/loaders/raw_loaders.hpp"
#include "rawengine/loaders/row_buffers.hpp"

namespace tavrin::raw {
namespace {

// The fields of the 65000 codes come from a 64-bit buffer refilled four bytes at a time in
// the order the camera writes them.
class KodakFields {
  public:
    explicit KodakFields(formats::FileReader& file) : file_(file) {}

    void reset() { buffer_ = 0, count_ = 0; }
    void preload() {
        const std::uint64_t hi = static_cast<std::uint8_t>(file_.get());
        const std::uint64_t lo = static_cast<std::uint8_t>(file_.get());
        buffer_ = hi << 8 | lo;
        count_ = 16;
    }

    int next(int length) {
        if (length == 0) return 0;
        if (count_ < length) {
            std::uint8_t b[4];
            for (auto& byte : b)
                byte = static_cast<std::uint8_t>(file_.get());
            buffer_ += static_cast<std::uint64_t>(b[0]) << (count_ + 8);
            buffer_ += static_cast<std::uint64_t>(b[1]) << count_;
            buffer_ += static_cast<std::uint64_t>(b[2]) << (count_ + 24);
            buffer_ += static_cast<std::uint64_t>(b[3]) << (count_ + 16);
            count_ += 32;
        }
        const auto bits = static_cast<std::uint32_t>(buffer_ & (0xFFFFu >> (16 - length)));
        buffer_ >>= length;
        count_ -= length;
        return signedDifference(bits, length);
    }

  private:
    formats::FileReader& file_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

// Reads the 4-bit field lengths of a block, low nibble first; false when one exceeds 12.
bool readLengths(formats::FileReader& file, int count, std::array<std::uint8_t, 512>& lengths) {
    bool valid = true;
    for (int i = 0; i < count; i += 2) {
        const auto byte = static_cast<std::uint8_t>(file.get());
        lengths[i] = byte & 15;
        lengths[i + 1] = byte >> 4;
        if (lengths[i] > 12 || lengths[i + 1] > 12) valid = false;
    }
    return valid;
}

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
    KodakFields fields(file);
    std::array<std::uint8_t, 512> lengths{};
    std::array<std::uint16_t, 6> plain{};
    bool raw = false;
    int predictor[2] = {0, 0};
    for (int row = 0; row < g.height; ++row) {
        for (int col = 0; col < g.width; ++col) {
            if (col % 256 == 0) {
                const int length = std::min(256, g.width - col);
                const std::uint64_t start = file.tell();
                raw = !readLengths(file, length, lengths);
                fields.reset();
                predictor[0] = predictor[1] = 0;
                if (length % 8 == 4) fields.preload();
                if (raw) file.seek(start);
            }
            int value;
            if (raw) {
                if (col % 8 == 0) {
                    for (auto& w : plain)
                        w = file.ReadU16();
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
    formats::FileReader& file = ctx.file;
    KodakFields fields(file);
    std::array<std::uint8_t, 512> lengths{};
    std::size_t cursor = 0;
    int y[4] = {}, cb = 0, cr = 0;
    for (int row = 0; row < g.height; row += 2) {
        for (int col = 0; col < g.width; col += 2) {
            if (col % 128 == 0) {
                const int length = std::min(384, (g.width - col + 1) * 3 / 4 * 4);
                readLengths(file, length, lengths);
                fields.reset();
                cursor = 0;
                y[1] = y[3] = cb = cr = 0;
                if (length % 8 == 4) fields.preload();
            }
            int d[6];
            for (int& field : d)
                field = fields.next(lengths[cursor++ % lengths.size()]);
            y[0] = d[0] + y[1];
            y[1] = d[1] + y[0];
            y[2] = d[2] + y[3];
            y[3] = d[3] + y[2];
            cb += d[4];
            cr += d[5];
            for (int i = 0; i < 4; ++i) {
                const int r = row + i / 2, c = col + i % 2;
                if (r >= g.height || c >= g.width) continue;
                std::uint16_t* pixel = pixelAt(s, r, c);
                const int sums[3] = {y[i] + cr, y[i], y[i] + cb};
                for (int k = 0; k < 3; ++k) {
                    if (sums[k] > 0)
                        pixel[k] = static_cast<std::uint16_t>(limitedCurve(s, sums[k]));
                }
            }
        }
    }
    s.sensor.whiteLevel = 3700;
}

void loadNothing(DecodeContext&) {}

}  // namespace tavrin::raw

#pragma once
// Kodak's 65000 and YUV codes: blocks of 4-bit field lengths, then the fields, taken from a 64-bit
// buffer refilled four bytes at a time in the order the camera writes them. The engine's raw
// loaders and the shell object's previews read them alike.

#include <algorithm>
#include <array>
#include <cstdint>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

class KodakFields {
  public:
    explicit KodakFields(FileReader& file) : file_(file) {}

    void reset() { buffer_ = 0, count_ = 0; }
    void preload() {
        const std::uint64_t hi = static_cast<std::uint8_t>(file_.get());
        const std::uint64_t lo = static_cast<std::uint8_t>(file_.get());
        buffer_ = hi << 8 | lo;
        count_ = 16;
    }

    // The next field of length bits as a signed difference: those with the top bit clear stand
    // for negative values.
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
        const auto bits = static_cast<std::int32_t>(buffer_ & (0xFFFFu >> (16 - length)));
        buffer_ >>= length;
        count_ -= length;
        const std::int32_t negative = ((bits >> (length - 1)) & 1) - 1;  // -1: top bit clear
        return bits - (negative & ((1 << length) - 1));
    }

  private:
    FileReader& file_;
    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

using KodakLengths = std::array<std::uint8_t, 512>;

// Reads count 4-bit field lengths (count at most the array's size), low nibble first; false when
// one exceeds 12.
bool readKodakLengths(FileReader& file, int count, KodakLengths& lengths);

// Decodes a YUV picture of width x height from the position: calls visit(row, col, sums) for each
// pixel, sums being luma plus red chroma, luma, and luma plus blue chroma.
template <typename Visit>
void forEachKodakYuvPixel(FileReader& file, int width, int height, Visit&& visit) {
    KodakFields fields(file);
    KodakLengths lengths{};
    std::size_t cursor = 0;
    int y[4] = {}, cb = 0, cr = 0;
    for (int row = 0; row < height; row += 2) {
        for (int col = 0; col < width; col += 2) {
            // Each block of 128 columns has its own field lengths, six per two columns.
            if (col % 128 == 0) {
                const int length = std::min(384, (width - col + 1) * 3 / 4 * 4);
                readKodakLengths(file, length, lengths);
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
                if (r >= height || c >= width) continue;
                const int sums[3] = {y[i] + cr, y[i], y[i] + cb};
                visit(r, c, sums);
            }
        }
    }
}

}  // namespace tavrin::formats

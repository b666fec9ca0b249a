#pragma once
// Reading whole rows at once: bytes, or 16-bit words in the file's byte order. Bytes past the
// end of the file read as zero.

#include <cstdint>
#include <vector>

#include "formats/file_reader.hpp"

namespace tavrin::raw {

inline void readBytes(formats::FileReader& file, std::vector<std::uint8_t>& row) {
    const std::size_t got = file.read(row.data(), row.size());
    std::fill(row.begin() + static_cast<std::ptrdiff_t>(got), row.end(), 0);
}

inline void readWords(formats::FileReader& file, std::vector<std::uint16_t>& row) {
    file.readU16Array(row.data(), row.size());
}

// Sizes from the file give a row buffer only when they are positive.
inline std::size_t rowLength(long long count) {
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

// Interlaced sensors store the even rows, then the odd ones: the sensor row of file row i.
inline int interlacedRow(int i, int height) {
    const int half = height / 2 > 0 ? height / 2 : 1;
    return (2 * i) % (height > 0 ? height : 1) + i / half;
}

}  // namespace tavrin::raw

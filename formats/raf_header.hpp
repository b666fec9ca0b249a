#pragma once
// Fuji's RAF header: "FUJIFILM", then where the camera's JPEG, the directory of tagged values and
// the raw data lie; the directory holds the white-balance words among others.

#include <cstdint>
#include <functional>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

inline constexpr unsigned kRafWhiteBalanceTag = 0x2FF0;

struct RafHeader {
    std::uint32_t jpegOffset = 0;  // the camera's JPEG; its TIFF data lie 12 bytes in
    std::uint32_t jpegLength = 0;
    std::uint32_t directoryOffset = 0;
    std::uint32_t rawOffset = 0;
};

// The header's positions (big-endian words at 84, 88, 92 and 100); leaves the order big-endian.
RafHeader readRafHeader(FileReader& file);

struct RafEntry {
    unsigned tag = 0;
    unsigned length = 0;
    std::uint64_t data = 0;
};

// Calls visit for each entry of the directory at offset, with the file at the entry's data in
// big-endian order; a directory claiming no or more than kMaxRafEntries entries is not read.
void walkRafDirectory(FileReader& file, std::uint64_t offset,
                      const std::function<void(const RafEntry&)>& visit);

}  // namespace tavrin::formats

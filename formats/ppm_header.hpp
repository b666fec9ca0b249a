#pragma once
// The header of a binary PPM file: "P6", width, height and maximum value as decimal numbers,
// separated by white space and "#" comments that run to the end of their line.

#include <cstdint>
#include <optional>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct PpmHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t maxValue = 0;
    std::uint64_t pixelOffset = 0;  // the byte after the maximum value's single delimiter
};

// Reads from the file's third byte on; nothing when a number is missing.
std::optional<PpmHeader> readPpmHeader(FileReader& file);

}  // namespace tavrin::formats

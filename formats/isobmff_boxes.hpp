#pragma once
// The ISO base media file container as Canon's CR3 files use it: boxes of a 32-bit big-endian
// size and a four-letter type (size 1: a 64-bit size follows; size 0: to the end of the parent),
// Canon's metadata and preview inside `uuid` boxes. Only box headers and the few bytes that
// describe a picture are read, never the raw data.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool empty() const { return length == 0; }
};

// Where a CR3 file keeps its pictures and its TIFF-structured metadata.
struct Cr3Layout {
    ByteRange preview;    // the large JPEG of the PRVW box
    ByteRange thumbnail;  // the small JPEG of the THMB box
    // The payloads of CMT1 (IFD0), CMT2 (EXIF), CMT3 (maker notes), CMT4 (GPS): each a TIFF block.
    std::array<ByteRange, 4> metadata;
};

// Boxes nested deeper than any real file are not entered.
inline constexpr int kMaxBoxDepth = 8;

// True when head (the file's first bytes) opens with an `ftyp` box of Canon's "crx " brand.
bool isCr3(std::span<const std::uint8_t> head);

// The layout of a CR3 file, or nothing when it is not one. Boxes that run past their parent or the
// file, or are shorter than their header, end the walk of their level; what was found stays.
std::optional<Cr3Layout> readCr3Layout(FileReader& file);

}  // namespace tavrin::formats

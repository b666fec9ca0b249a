#pragma once
// The marker chain of a JPEG stream: SOI, then segments (a marker, a big-endian length that
// counts itself, the payload) up to the scan.

#include <cstdint>
#include <functional>
#include <optional>

#include "formats/file_reader.hpp"

namespace tavrin::formats {

struct JpegSegment {
    int marker = 0;
    std::uint64_t payload = 0;  // right behind the length; for a stand-alone marker, behind it
    std::uint32_t length = 0;   // of the payload; 0 for a stand-alone marker
};

// Calls visit for each marker from the SOI at offset on: stand-alone markers (TEM, RST0..7,
// SOI) with no payload, others with theirs, with the file at the payload; visit may move the
// position and change the order, and ends the walk by returning false. The walk ends by itself at
// EOI, at the scan, at a length below 2, at the end of the file and after kMaxJpegSegments markers.
// False when there is no SOI at offset.
bool walkJpegMarkers(FileReader& file, std::uint64_t offset,
                     const std::function<bool(const JpegSegment&)>& visit);

// A JPEG file whose APP1 segment, right behind the SOI, holds "Exif" and is not followed by
// another marker: where its TIFF data begin (12). Moves the position; leaves the order big-endian.
std::optional<std::uint64_t> standaloneExifTiff(FileReader& file);

struct FrameSize {
    int width;
    int height;
};

// The size of the picture of the JPEG file from its first frame header (SOF0 to SOF15); nothing
// when the scan or the end of the file comes first or the size is not positive. Moves the position.
std::optional<FrameSize> readJpegFrameSize(FileReader& file);

}  // namespace tavrin::formats
